# Cache preset for test and demo builds: every platform host is the stand-in
# server (tools/platform/standin.py) on one port, 47180 unless the configure
# command line gives -DVEXO_STANDIN_PORT=... before -C (so that two build trees
# can run their tests at the same time).
if(NOT DEFINED VEXO_STANDIN_PORT)
  set(VEXO_STANDIN_PORT 47180 CACHE STRING "Port of the platform stand-in")
endif()
set(_standin "127.0.0.1:${VEXO_STANDIN_PORT}")
set(VEXO_CLIENT_HOST "${_standin}" CACHE STRING "")
set(VEXO_WEB_HOST "${_standin}" CACHE STRING "")
set(VEXO_LOGIN_HOST "${_standin}" CACHE STRING "")
set(VEXO_QQ_AUTH_HOST "${_standin}" CACHE STRING "")
set(VEXO_DOMAINS "127.0.0.1;localhost;vexo.test" CACHE STRING "")
set(VEXO_FLASH_DOWNLOAD_URL "http://${_standin}/flashplayer/" CACHE STRING "")
set(VEXO_TEST_AUTOMATION ON CACHE BOOL "")

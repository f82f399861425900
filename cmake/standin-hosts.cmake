# Cache preset for test and demo builds: every platform host is the stand-in
# server (tools/platform/standin.py) on its fixed port.
set(VEXO_STANDIN_PORT 47180 CACHE STRING "Port of the platform stand-in")
set(VEXO_CLIENT_HOST "127.0.0.1:47180" CACHE STRING "")
set(VEXO_WEB_HOST "127.0.0.1:47180" CACHE STRING "")
set(VEXO_LOGIN_HOST "127.0.0.1:47180" CACHE STRING "")
set(VEXO_QQ_AUTH_HOST "127.0.0.1:47180" CACHE STRING "")
set(VEXO_DOMAINS "127.0.0.1;localhost;vexo.test" CACHE STRING "")
set(VEXO_FLASH_DOWNLOAD_URL "http://127.0.0.1:47180/flashplayer/" CACHE STRING "")
set(VEXO_TEST_AUTOMATION ON CACHE BOOL "")

# The platform's hosts are build settings, kept in this one place and generated
# into VexoConfig.h. Point a build at other hosts with -DVEXO_CLIENT_HOST=... etc.
set(VEXO_CLIENT_HOST "client.vexo.com" CACHE STRING "Client-service host (reports, update configurations, game hall); may carry :port")
set(VEXO_WEB_HOST "www.vexo.com" CACHE STRING "Web host (login page, web home page)")
set(VEXO_LOGIN_HOST "passport.vexo.com" CACHE STRING "External-login host (QQ and Sina Weibo redirects and callbacks)")
set(VEXO_QQ_AUTH_HOST "graph.qq.com" CACHE STRING "QQ Connect authorization host")
set(VEXO_DOMAINS "vexo.com;vexo.cn;vexogame.com" CACHE STRING "The platform's three domain names, ;-separated")
set(VEXO_FLASH_DOWNLOAD_URL "http://get.adobe.com/flashplayer/" CACHE STRING "Flash Player download page")
set(VEXO_UPDATE_SIGNER "" CACHE STRING "SHA-256 (hex) of the public key (SubjectPublicKeyInfo) that must sign an update; empty: the running executable's own signer")
option(VEXO_TEST_AUTOMATION "Compile the test-only browser automation channel" OFF)

if(NOT VEXO_UPDATE_SIGNER STREQUAL "" AND NOT VEXO_UPDATE_SIGNER MATCHES "^[0-9a-fA-F]+$")
  message(FATAL_ERROR "VEXO_UPDATE_SIGNER must be hexadecimal, got '${VEXO_UPDATE_SIGNER}'")
endif()
string(LENGTH "${VEXO_UPDATE_SIGNER}" _vexo_signer_length)
if(NOT _vexo_signer_length EQUAL 0 AND NOT _vexo_signer_length EQUAL 64)
  message(FATAL_ERROR "VEXO_UPDATE_SIGNER must be 64 hexadecimal digits (SHA-256)")
endif()

list(LENGTH VEXO_DOMAINS _vexo_domain_count)
if(NOT _vexo_domain_count EQUAL 3)
  message(FATAL_ERROR "VEXO_DOMAINS must hold exactly three names, got '${VEXO_DOMAINS}'")
endif()
list(GET VEXO_DOMAINS 0 VEXO_DOMAIN_0)
list(GET VEXO_DOMAINS 1 VEXO_DOMAIN_1)
list(GET VEXO_DOMAINS 2 VEXO_DOMAIN_2)

set(VEXO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/VexoConfig.h.in ${VEXO_GENERATED_DIR}/VexoConfig.h @ONLY)

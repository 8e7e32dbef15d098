# cmake -DURL=… -P CheckUrl.cmake: fails exactly when the build would refuse URL.
include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/VarnelUrlCheck.cmake)
varnel_check_url(VARNEL_PROJECT_URL "${URL}" FALSE)

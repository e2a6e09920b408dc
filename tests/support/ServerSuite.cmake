# A windows' test program registered a second time, each test named <name>_server, with
# VELTOR_TEST_STORAGE=server: the fixtures then move the database a test filled to the test server
# (scripts/test.sh starts one) and read back what the server holds. Without a server each skips.
# ONLY takes the gtest patterns run there (all when none: the whole set is too slow for every
# run), EXCLUDE those about the folder itself rather than the records.

function(veltor_server_suite target)
  cmake_parse_arguments(arg "" "" "ONLY;EXCLUDE" ${ARGN})
  list(JOIN arg_ONLY ":" only)
  list(JOIN arg_EXCLUDE ":" excluded)
  set(filter)
  if(only OR excluded)
    if(excluded)
      set(excluded "-${excluded}")
    endif()
    set(filter TEST_FILTER "${only}${excluded}")
  endif()
  gtest_discover_tests(${target} TEST_SUFFIX _server ${filter}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ENVIRONMENT_MODIFICATION "VELTOR_TEST_STORAGE=set:server"
    LABELS server TIMEOUT 300 DISCOVERY_TIMEOUT 60)
endfunction()

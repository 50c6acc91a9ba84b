# The Wine session of a test run of the Windows build: before the first test,
# a Wine prefix of the run's own and one Xvfb; after the last, nothing left.
# run-under-wine.sh (the emulator) runs every program in it.
set(PELLOMAR_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)

add_test(NAME wine_session_start
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh start ${PELLOMAR_WINE_SESSION} ${PELLOMAR_WINE_ARCH})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session)
add_test(NAME wine_session_stop
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh stop ${PELLOMAR_WINE_SESSION})
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)

# For the tests that use the system profile: they all share the session's
# one, so they take turns with it.
set(PELLOMAR_SYSTEM_PROFILE_TEST_PROPERTIES
  PROPERTIES FIXTURES_REQUIRED wine_session RESOURCE_LOCK wine_system_profile)

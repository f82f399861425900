# Application core. Portable files build natively too and carry the unit-tested logic.
set(APP_PORTABLE_SOURCES
  app/Activity.cpp
  app/DisableDays.cpp
  app/Endpoints.cpp
  app/HttpUrl.cpp
  app/SelfDelete.cpp
  app/RunMode.cpp
)
set(APP_WIN_SOURCES
  app/Install.cpp
  app/Loriq3App.cpp
  app/Paths.cpp
  app/PersistedState.cpp
  app/Process.cpp
  app/StatReport.cpp
  app/Stubs.cpp
)

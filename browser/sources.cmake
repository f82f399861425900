set(BROWSER_PORTABLE_SOURCES
  browser/PageCommand.cpp
)
set(BROWSER_WIN_SOURCES
)

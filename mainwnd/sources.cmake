# Main game window. Portable files build natively too and carry the unit-tested logic.
set(MAINWND_PORTABLE_SOURCES
  mainwnd/CommandLines.cpp
  mainwnd/HotKey.cpp
  mainwnd/PageRegistry.cpp
  mainwnd/TabStrip.cpp
)
set(MAINWND_WIN_SOURCES
  mainwnd/CacheClear.cpp
  mainwnd/HotKeys.cpp
  mainwnd/KeyboardHook.cpp
  mainwnd/Loriq3Dlg.cpp
  mainwnd/Loriq3DlgTabs.cpp
  mainwnd/TabStripView.cpp
  mainwnd/TrayIcon.cpp
)

# Our small stand-in for the MFC classes the system is built on. Windows only.
set(FRAMEWORK_WIN_SOURCES
  framework/WinApp.cpp
  framework/Wnd.cpp
  framework/Dialog.cpp
)

# Skinned controls. The portable files hold the geometry and arithmetic (unit
# tested natively); the Windows files draw with GDI and drive the windows.
set(SKIN_PORTABLE_SOURCES
  skin/SkinPixels.cpp
  skin/FrameLayout.cpp
  skin/ControlLayout.cpp
)
set(SKIN_WIN_SOURCES
  skin/SkinImage.cpp
  skin/BtnEx.cpp
  skin/DlgEx.cpp
  skin/StaticEx.cpp
  skin/SkinMessageBox.cpp
)

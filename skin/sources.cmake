set(SKIN_PORTABLE_SOURCES
)
set(SKIN_WIN_SOURCES
  skin/SkinMessageBox.cpp
)

// CGmWndDoc: the document of the game page window. It holds nothing: the
// arrangement exists so that the frame and its browser view come and go as one.
#pragma once

#include "framework/FrameWnd.h"

class CGmWndDoc : public CDocument {
public:
    BOOL OnNewDocument() override;
};

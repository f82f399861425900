#include "browser/GmWndDoc.h"

BOOL CGmWndDoc::OnNewDocument() { return CDocument::OnNewDocument(); }

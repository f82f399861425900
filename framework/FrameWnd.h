// The single-document arrangement: a document, a frame window and one view
// that fills the frame's client area, made together by a single-document
// template. The document holds nothing here; the arrangement exists so that a
// frame and its browser view come and go as one.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "framework/Wnd.h"

class CDocument {
public:
    CDocument() = default;
    virtual ~CDocument() = default;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // A fresh, empty document. FALSE stops the document's creation.
    virtual BOOL OnNewDocument() { return TRUE; }
};

class CFrameWnd;

class CView : public CWnd {
public:
    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    // Once the frame, the view and the document exist.
    virtual void OnInitialUpdate() {}
    // Key messages for this view's windows, offered by the frame after its own
    // handling (the browser view hands them to its control). TRUE: consumed.
    virtual BOOL TranslateViewAccelerator(MSG* msg) { return FALSE; }

    // A child of `parentFrame` with control id `id` over `rect`.
    BOOL Create(HWND parentFrame, UINT id, const RECT& rect, CDocument* doc);

    // Heap views made by a frame delete themselves when their window goes.
    bool m_bAutoDelete = false;

protected:
    // The base: visible child with a client edge.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs) { return TRUE; }
    // WM_CREATE; -1 fails the creation.
    virtual int OnCreate(CREATESTRUCTW* cs) { return 0; }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    CDocument* m_pDocument = nullptr;
};

// How a frame makes its view during creation.
struct CCreateContext {
    CDocument* m_pCurrentDoc = nullptr;
    std::function<CView*()> m_newView;
};

class CFrameWnd : public CWnd {
public:
    // Creates the frame (and, through the context, its view). `resourceId`
    // names the frame's icon and menu, where the resources have them.
    BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr,
                   CCreateContext* context = nullptr);

    CView* GetActiveView() const { return m_pViewActive; }
    CDocument* GetActiveDocument() const { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }
    // The view fills the client area.
    void RecalcLayout();

    // The base hands keys for the view's windows to the view.
    BOOL PreTranslateMessage(MSG* msg) override;

    // Heap frames made by a template delete themselves when their window goes.
    bool m_bAutoDelete = false;

    static constexpr UINT kViewId = 0xE900;

protected:
    // Adjust the creation parameters; the base fills in the defaults.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs) { return TRUE; }
    // WM_CREATE: the base creates the view from the creation context. -1 fails.
    virtual int OnCreate(CREATESTRUCTW* cs);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The application's main window ends the message loop when it goes.
    void PostNcDestroy() override;

    CView* m_pViewActive = nullptr;

private:
    CCreateContext* m_pContext = nullptr;
    bool m_bCreating = false;
};

class CSingleDocTemplate {
public:
    CSingleDocTemplate(UINT resourceId, std::function<CDocument*()> newDocument,
                       std::function<CFrameWnd*()> newFrame, std::function<CView*()> newView);
    ~CSingleDocTemplate();
    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

    template <class Doc, class Frame, class View>
    static std::unique_ptr<CSingleDocTemplate> Make(UINT resourceId) {
        return std::make_unique<CSingleDocTemplate>(
            resourceId, [] { return static_cast<CDocument*>(new Doc); },
            [] { return static_cast<CFrameWnd*>(new Frame); }, [] { return static_cast<CView*>(new View); });
    }

    // Only new, empty documents exist here (`path` must be nullptr): makes the
    // document, its frame and view, runs OnNewDocument and the view's
    // OnInitialUpdate, makes the frame the application's main window when it
    // has none, and shows it when asked. A second call starts the one document
    // afresh in the same frame. nullptr on failure.
    CDocument* OpenDocumentFile(const wchar_t* path, BOOL makeVisible = TRUE);

    CDocument* GetDocument() const { return m_pDocument.get(); }
    // The frame while its window exists.
    CFrameWnd* GetFrame() const;

private:
    UINT m_nResourceId;
    std::function<CDocument*()> m_newDocument;
    std::function<CFrameWnd*()> m_newFrame;
    std::function<CView*()> m_newView;
    std::unique_ptr<CDocument> m_pDocument;
    HWND m_hFrame = nullptr;
};

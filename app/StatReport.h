// Plain HTTP GETs whose answers are never read: the statistics reports, on
// worker threads.
#pragma once

#include <string>

class CLoriq3App;

// Agent "QZR", the platform's header block, reload flag, system proxy. True
// when the request was sent.
bool HttpGetNoReply(const std::wstring& url, const std::wstring& body = L"");

// Starts one report thread and returns once it has taken its copy of the
// address; the thread sets the app's m_hEvtDone when the request is over.
bool StartStatRequest(const std::wstring& url, CLoriq3App* app);

// Whether this process started a report with StartStatRequest.
bool HasStartedStatRequest();

// Fire-and-forget login report (no events involved).
void StartLoginReport(const std::wstring& uid, int index);

// The reports of the short-lived modes: bump the counter, send.
void SendInstallReport(CLoriq3App* app);
void SendWebActivationReport(CLoriq3App* app);
void SendUninstallReport(CLoriq3App* app);
// Modes 2 and 3: activity figures against the date stored before this start.
void SendGameActivationReport(CLoriq3App* app);

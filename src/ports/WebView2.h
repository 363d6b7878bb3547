// The browser runtime interface: our own declarations of the WebView2 COM
// interfaces that the host uses, in the SDK's vtable order. On Windows the real
// WebView2 objects implement them; on Linux the WebKitGTK runtime library does;
// in unit tests a fake runtime does. Strings are UTF-16; strings handed out by
// the runtime are freed with CoTaskMemFree.
#pragma once

#include "com/ComBase.h"

namespace zel {

#define ZEL_IID(d1, d2, d3, a, b, c, d, e, f, g, h) \
  static constexpr GUID kIID = {d1, d2, d3, {a, b, c, d, e, f, g, h}};

enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT : std::int32_t {
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT = 1,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET = 2,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE = 3,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA = 4,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FONT = 5,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SCRIPT = 6,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_XML_HTTP_REQUEST = 7,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH = 8,
  COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER = 16,
};

enum COREWEBVIEW2_PERMISSION_KIND : std::int32_t {
  COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION = 0,
  COREWEBVIEW2_PERMISSION_KIND_MICROPHONE = 1,
  COREWEBVIEW2_PERMISSION_KIND_CAMERA = 2,
  COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION = 3,
  COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS = 4,
  COREWEBVIEW2_PERMISSION_KIND_OTHER_SENSORS = 5,
  COREWEBVIEW2_PERMISSION_KIND_CLIPBOARD_READ = 6,
};

enum COREWEBVIEW2_PERMISSION_STATE : std::int32_t {
  COREWEBVIEW2_PERMISSION_STATE_DEFAULT = 0,
  COREWEBVIEW2_PERMISSION_STATE_ALLOW = 1,
  COREWEBVIEW2_PERMISSION_STATE_DENY = 2,
};

enum COREWEBVIEW2_PROCESS_FAILED_KIND : std::int32_t {
  COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED = 0,
  COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED = 1,
  COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE = 2,
};

enum COREWEBVIEW2_WEB_ERROR_STATUS : std::int32_t {
  COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN = 0,
  COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID = 5,
  COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE = 6,
  COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT = 7,
  COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED = 9,
  COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT = 12,
  COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED = 13,
  COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED = 14,
  COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR = 16,
};

enum COREWEBVIEW2_KEY_EVENT_KIND : std::int32_t {
  COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN = 0,
  COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP = 1,
  COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN = 2,
  COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP = 3,
};

enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT : std::int32_t {
  COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
  COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
};

enum COREWEBVIEW2_MOVE_FOCUS_REASON : std::int32_t {
  COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
  COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
  COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};

enum COREWEBVIEW2_SCRIPT_DIALOG_KIND : std::int32_t {
  COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT = 0,
  COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM = 1,
  COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT = 2,
  COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD = 3,
};

struct COREWEBVIEW2_PHYSICAL_KEY_STATUS {
  UINT32 RepeatCount;
  UINT32 ScanCode;
  BOOL IsExtendedKey;
  BOOL IsMenuKeyDown;
  BOOL WasKeyDown;
  BOOL IsKeyReleased;
};

struct ICoreWebView2;
struct ICoreWebView2Controller;
struct ICoreWebView2Environment;
struct ICoreWebView2Settings;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2WindowFeatures;  // never called; pointer only
struct ICoreWebView2HttpHeadersCollectionIterator;

// ---- Handlers: one Invoke at slot 3 -------------------------------------

#define ZEL_HANDLER(Name, IIDARGS, ...)                      \
  struct Name : IUnknown {                                   \
    ZEL_IID IIDARGS virtual HRESULT Invoke(__VA_ARGS__) = 0; \
  };

struct ICoreWebView2NavigationStartingEventArgs;
struct ICoreWebView2NavigationCompletedEventArgs;
struct ICoreWebView2SourceChangedEventArgs;
struct ICoreWebView2ContentLoadingEventArgs;
struct ICoreWebView2NewWindowRequestedEventArgs;
struct ICoreWebView2WebResourceRequestedEventArgs;
struct ICoreWebView2ScriptDialogOpeningEventArgs;
struct ICoreWebView2PermissionRequestedEventArgs;
struct ICoreWebView2ProcessFailedEventArgs;
struct ICoreWebView2WebMessageReceivedEventArgs;
struct ICoreWebView2MoveFocusRequestedEventArgs;
struct ICoreWebView2AcceleratorKeyPressedEventArgs;
struct ICoreWebView2DevToolsProtocolEventReceivedEventArgs;

ZEL_HANDLER(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
            (0x4E8A3389, 0xC9D8, 0x4BD2, 0xB6, 0xB5, 0x12, 0x4F, 0xEE, 0x6C, 0xC1, 0x4D),
            HRESULT errorCode, ICoreWebView2Environment* result)
ZEL_HANDLER(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
            (0x6C4819F3, 0xC9B7, 0x4260, 0x81, 0x27, 0xC9, 0xF5, 0xBD, 0xE7, 0xF6, 0x8C),
            HRESULT errorCode, ICoreWebView2Controller* result)
ZEL_HANDLER(ICoreWebView2ExecuteScriptCompletedHandler,
            (0x49511172, 0xCC67, 0x4BCA, 0x99, 0x23, 0x13, 0x71, 0x12, 0xF4, 0xC4, 0xCC),
            HRESULT errorCode, LPCWSTR resultObjectAsJson)
ZEL_HANDLER(ICoreWebView2CapturePreviewCompletedHandler,
            (0x697E05E9, 0x3D8F, 0x45FA, 0x96, 0xF4, 0x8F, 0xFE, 0x1E, 0xDE, 0xDA, 0xF5),
            HRESULT errorCode)
ZEL_HANDLER(ICoreWebView2CallDevToolsProtocolMethodCompletedHandler,
            (0x5C4889F0, 0x5EF6, 0x4C5A, 0x95, 0x2C, 0xD8, 0xF1, 0xB9, 0x2D, 0x05, 0x74),
            HRESULT errorCode, LPCWSTR returnObjectAsJson)
ZEL_HANDLER(ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler,
            (0xB99369F3, 0x9B11, 0x47B5, 0xBC, 0x6F, 0x8E, 0x78, 0x95, 0xFC, 0xEA, 0x17),
            HRESULT errorCode, LPCWSTR id)
ZEL_HANDLER(ICoreWebView2NavigationStartingEventHandler,
            (0x9ADBE429, 0xF36D, 0x432B, 0x9D, 0xDC, 0xF8, 0x88, 0x1F, 0xBD, 0x76, 0xE3),
            ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args)
ZEL_HANDLER(ICoreWebView2NavigationCompletedEventHandler,
            (0xD33A35BF, 0x1C49, 0x4F98, 0x93, 0xAB, 0x00, 0x6E, 0x05, 0x33, 0xFE, 0x1C),
            ICoreWebView2* sender, ICoreWebView2NavigationCompletedEventArgs* args)
ZEL_HANDLER(ICoreWebView2SourceChangedEventHandler,
            (0x3C067F9F, 0x5388, 0x4772, 0x8B, 0x48, 0x79, 0xF7, 0xEF, 0x1A, 0xB3, 0x7C),
            ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs* args)
ZEL_HANDLER(ICoreWebView2HistoryChangedEventHandler,
            (0xC79A420C, 0xEFD9, 0x4058, 0x92, 0x95, 0x3E, 0x8B, 0x4B, 0xCA, 0xB6, 0x45),
            ICoreWebView2* sender, IUnknown* args)
ZEL_HANDLER(ICoreWebView2ContentLoadingEventHandler,
            (0x364471E7, 0xF2BE, 0x4910, 0xBD, 0xBA, 0xD7, 0x20, 0x77, 0xD5, 0x1C, 0x4B),
            ICoreWebView2* sender, ICoreWebView2ContentLoadingEventArgs* args)
ZEL_HANDLER(ICoreWebView2DocumentTitleChangedEventHandler,
            (0xF5F2B923, 0x953E, 0x4042, 0x9F, 0x95, 0xF3, 0xA1, 0x18, 0xE1, 0xAF, 0xD4),
            ICoreWebView2* sender, IUnknown* args)
ZEL_HANDLER(ICoreWebView2NewWindowRequestedEventHandler,
            (0xD4C185FE, 0xC81C, 0x4989, 0x97, 0xAF, 0x2D, 0x3F, 0xA7, 0xAB, 0x56, 0x51),
            ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args)
ZEL_HANDLER(ICoreWebView2WebResourceRequestedEventHandler,
            (0xAB00B74C, 0x15F1, 0x4646, 0x80, 0xE8, 0xE7, 0x63, 0x41, 0xD2, 0x5D, 0x71),
            ICoreWebView2* sender, ICoreWebView2WebResourceRequestedEventArgs* args)
ZEL_HANDLER(ICoreWebView2ScriptDialogOpeningEventHandler,
            (0xEF381BF9, 0xAFA8, 0x4E37, 0x91, 0xC4, 0x8A, 0xC4, 0x85, 0x24, 0xBD, 0xFB),
            ICoreWebView2* sender, ICoreWebView2ScriptDialogOpeningEventArgs* args)
ZEL_HANDLER(ICoreWebView2PermissionRequestedEventHandler,
            (0x15E1C6A3, 0xC72A, 0x4DF3, 0x91, 0xD7, 0xD0, 0x97, 0xFB, 0xEC, 0x6B, 0xFD),
            ICoreWebView2* sender, ICoreWebView2PermissionRequestedEventArgs* args)
ZEL_HANDLER(ICoreWebView2ProcessFailedEventHandler,
            (0x79E0AEA4, 0x990B, 0x42D9, 0xAA, 0x1D, 0x0F, 0xCC, 0x2E, 0x5B, 0xC7, 0xF1),
            ICoreWebView2* sender, ICoreWebView2ProcessFailedEventArgs* args)
ZEL_HANDLER(ICoreWebView2WebMessageReceivedEventHandler,
            (0x57213F19, 0x00E6, 0x49FA, 0x8E, 0x07, 0x89, 0x8E, 0xA0, 0x1E, 0xCB, 0xD2),
            ICoreWebView2* sender, ICoreWebView2WebMessageReceivedEventArgs* args)
ZEL_HANDLER(ICoreWebView2WindowCloseRequestedEventHandler,
            (0x5C19E9E0, 0x092F, 0x486B, 0xAF, 0xFA, 0xCA, 0x82, 0x31, 0x91, 0x30, 0x39),
            ICoreWebView2* sender, IUnknown* args)
ZEL_HANDLER(ICoreWebView2ContainsFullScreenElementChangedEventHandler,
            (0xE45D98B1, 0xAFEF, 0x45BE, 0x8B, 0xAF, 0x6C, 0x77, 0x28, 0x86, 0x7F, 0x73),
            ICoreWebView2* sender, IUnknown* args)
ZEL_HANDLER(ICoreWebView2ZoomFactorChangedEventHandler,
            (0xB52D71D6, 0xC4DF, 0x4543, 0xA9, 0x0C, 0x64, 0xA3, 0xE6, 0x0F, 0x38, 0xCB),
            ICoreWebView2Controller* sender, IUnknown* args)
ZEL_HANDLER(ICoreWebView2MoveFocusRequestedEventHandler,
            (0x69035451, 0x6DC7, 0x4CB8, 0x9B, 0xCE, 0xB2, 0xBD, 0x70, 0xAD, 0x28, 0x9F),
            ICoreWebView2Controller* sender, ICoreWebView2MoveFocusRequestedEventArgs* args)
ZEL_HANDLER(ICoreWebView2FocusChangedEventHandler,
            (0x05EA24BD, 0x6452, 0x4926, 0x90, 0x14, 0x4B, 0x82, 0xB4, 0x98, 0x13, 0x5D),
            ICoreWebView2Controller* sender, IUnknown* args)
ZEL_HANDLER(ICoreWebView2AcceleratorKeyPressedEventHandler,
            (0xB29C7E28, 0xFA79, 0x41A8, 0x8E, 0x44, 0x65, 0x81, 0x1C, 0x76, 0xDC, 0xB2),
            ICoreWebView2Controller* sender, ICoreWebView2AcceleratorKeyPressedEventArgs* args)
ZEL_HANDLER(ICoreWebView2DevToolsProtocolEventReceivedEventHandler,
            (0xE2FDA4BE, 0x5456, 0x406C, 0xA2, 0x61, 0x3D, 0x45, 0x21, 0x38, 0x36, 0x2C),
            ICoreWebView2* sender, ICoreWebView2DevToolsProtocolEventReceivedEventArgs* args)
ZEL_HANDLER(ICoreWebView2NewBrowserVersionAvailableEventHandler,
            (0xF9A2976E, 0xD34E, 0x44FC, 0xAD, 0xEE, 0x81, 0xB6, 0xB5, 0x7C, 0xA9, 0x14),
            ICoreWebView2Environment* sender, IUnknown* args)

#undef ZEL_HANDLER

// ---- Supporting interfaces -----------------------------------------------

struct ICoreWebView2Deferral : IUnknown {
  ZEL_IID(0xC10E7F7B, 0xB585, 0x46F0, 0xA6, 0x23, 0x8B, 0xEF, 0xBF, 0x3E, 0x4E, 0xE0)
  virtual HRESULT Complete() = 0;
};

struct ICoreWebView2HttpHeadersCollectionIterator : IUnknown {
  ZEL_IID(0x0702FC30, 0xF43B, 0x47BB, 0xAB, 0x52, 0xA4, 0x2C, 0xB5, 0x52, 0xAD, 0x9F)
  virtual HRESULT GetCurrentHeader(LPWSTR* name, LPWSTR* value) = 0;
  virtual HRESULT get_HasCurrentHeader(BOOL* hasCurrent) = 0;
  virtual HRESULT MoveNext(BOOL* hasNext) = 0;
};

struct ICoreWebView2HttpRequestHeaders : IUnknown {
  ZEL_IID(0xE86CAC0E, 0x5523, 0x465C, 0xB5, 0x36, 0x8F, 0xB9, 0xFC, 0x8C, 0x8C, 0x60)
  virtual HRESULT GetHeader(LPCWSTR name, LPWSTR* value) = 0;
  virtual HRESULT GetHeaders(LPCWSTR name, ICoreWebView2HttpHeadersCollectionIterator** value) = 0;
  virtual HRESULT Contains(LPCWSTR name, BOOL* value) = 0;
  virtual HRESULT SetHeader(LPCWSTR name, LPCWSTR value) = 0;
  virtual HRESULT RemoveHeader(LPCWSTR name) = 0;
  virtual HRESULT GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) = 0;
};

struct ICoreWebView2HttpResponseHeaders : IUnknown {
  ZEL_IID(0x03C5FF5A, 0x9B45, 0x4A88, 0x88, 0x1C, 0x89, 0xA9, 0xF3, 0x28, 0x61, 0x9C)
  virtual HRESULT AppendHeader(LPCWSTR name, LPCWSTR value) = 0;
  virtual HRESULT Contains(LPCWSTR name, BOOL* value) = 0;
  virtual HRESULT GetHeader(LPCWSTR name, LPWSTR* value) = 0;
  virtual HRESULT GetHeaders(LPCWSTR name, ICoreWebView2HttpHeadersCollectionIterator** value) = 0;
  virtual HRESULT GetIterator(ICoreWebView2HttpHeadersCollectionIterator** value) = 0;
};

struct ICoreWebView2WebResourceRequest : IUnknown {
  ZEL_IID(0x97055CD4, 0x512C, 0x4264, 0x8B, 0x5F, 0xE3, 0xF4, 0x46, 0xCE, 0xA6, 0xA5)
  virtual HRESULT get_Uri(LPWSTR* uri) = 0;
  virtual HRESULT put_Uri(LPCWSTR uri) = 0;
  virtual HRESULT get_Method(LPWSTR* method) = 0;
  virtual HRESULT put_Method(LPCWSTR method) = 0;
  virtual HRESULT get_Content(IStream** content) = 0;
  virtual HRESULT put_Content(IStream* content) = 0;
  virtual HRESULT get_Headers(ICoreWebView2HttpRequestHeaders** headers) = 0;
};

struct ICoreWebView2WebResourceResponse : IUnknown {
  ZEL_IID(0xAAFCC94F, 0xFA27, 0x48FD, 0x97, 0xDF, 0x83, 0x0E, 0xF7, 0x5A, 0xAE, 0xC9)
  virtual HRESULT get_Content(IStream** content) = 0;
  virtual HRESULT put_Content(IStream* content) = 0;
  virtual HRESULT get_Headers(ICoreWebView2HttpResponseHeaders** headers) = 0;
  virtual HRESULT get_StatusCode(int* statusCode) = 0;
  virtual HRESULT put_StatusCode(int statusCode) = 0;
  virtual HRESULT get_ReasonPhrase(LPWSTR* reasonPhrase) = 0;
  virtual HRESULT put_ReasonPhrase(LPCWSTR reasonPhrase) = 0;
};

// ---- Event arguments -----------------------------------------------------

struct ICoreWebView2WebResourceRequestedEventArgs : IUnknown {
  ZEL_IID(0x453E667F, 0x12C7, 0x49D4, 0xBE, 0x6D, 0xDD, 0xBE, 0x79, 0x56, 0xF5, 0x7A)
  virtual HRESULT get_Request(ICoreWebView2WebResourceRequest** request) = 0;
  virtual HRESULT get_Response(ICoreWebView2WebResourceResponse** response) = 0;
  virtual HRESULT put_Response(ICoreWebView2WebResourceResponse* response) = 0;
  virtual HRESULT GetDeferral(ICoreWebView2Deferral** deferral) = 0;
  virtual HRESULT get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) = 0;
};

struct ICoreWebView2WebMessageReceivedEventArgs : IUnknown {
  ZEL_IID(0x0F99A40C, 0xE962, 0x4207, 0x9E, 0x92, 0xE3, 0xD5, 0x42, 0xEF, 0xF8, 0x49)
  virtual HRESULT get_Source(LPWSTR* source) = 0;
  virtual HRESULT get_WebMessageAsJson(LPWSTR* webMessageAsJson) = 0;
  virtual HRESULT TryGetWebMessageAsString(LPWSTR* webMessageAsString) = 0;
};

struct ICoreWebView2NewWindowRequestedEventArgs : IUnknown {
  ZEL_IID(0x34ACB11C, 0xFC37, 0x4418, 0x91, 0x32, 0xF9, 0xC2, 0x1D, 0x1E, 0xAF, 0xB9)
  virtual HRESULT get_Uri(LPWSTR* uri) = 0;
  virtual HRESULT put_NewWindow(ICoreWebView2* newWindow) = 0;
  virtual HRESULT get_NewWindow(ICoreWebView2** newWindow) = 0;
  virtual HRESULT put_Handled(BOOL handled) = 0;
  virtual HRESULT get_Handled(BOOL* handled) = 0;
  virtual HRESULT get_IsUserInitiated(BOOL* isUserInitiated) = 0;
  virtual HRESULT GetDeferral(ICoreWebView2Deferral** deferral) = 0;
  virtual HRESULT get_WindowFeatures(ICoreWebView2WindowFeatures** value) = 0;
};

struct ICoreWebView2PermissionRequestedEventArgs : IUnknown {
  ZEL_IID(0x973AE2EF, 0xFF18, 0x4894, 0x8F, 0xB2, 0x3C, 0x75, 0x8F, 0x04, 0x68, 0x10)
  virtual HRESULT get_Uri(LPWSTR* uri) = 0;
  virtual HRESULT get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* permissionKind) = 0;
  virtual HRESULT get_IsUserInitiated(BOOL* isUserInitiated) = 0;
  virtual HRESULT get_State(COREWEBVIEW2_PERMISSION_STATE* state) = 0;
  virtual HRESULT put_State(COREWEBVIEW2_PERMISSION_STATE state) = 0;
  virtual HRESULT GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

struct ICoreWebView2NavigationStartingEventArgs : IUnknown {
  ZEL_IID(0x5B495469, 0xE119, 0x438A, 0x9B, 0x18, 0x76, 0x04, 0xF2, 0x5F, 0x2E, 0x49)
  virtual HRESULT get_Uri(LPWSTR* uri) = 0;
  virtual HRESULT get_IsUserInitiated(BOOL* isUserInitiated) = 0;
  virtual HRESULT get_IsRedirected(BOOL* isRedirected) = 0;
  virtual HRESULT get_RequestHeaders(ICoreWebView2HttpRequestHeaders** requestHeaders) = 0;
  virtual HRESULT get_Cancel(BOOL* cancel) = 0;
  virtual HRESULT put_Cancel(BOOL cancel) = 0;
  virtual HRESULT get_NavigationId(UINT64* navigationId) = 0;
};

struct ICoreWebView2NavigationCompletedEventArgs : IUnknown {
  ZEL_IID(0x30D68B7D, 0x20D9, 0x4752, 0xA9, 0xCA, 0xEC, 0x84, 0x48, 0xFB, 0xB5, 0xC1)
  virtual HRESULT get_IsSuccess(BOOL* isSuccess) = 0;
  virtual HRESULT get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* webErrorStatus) = 0;
  virtual HRESULT get_NavigationId(UINT64* navigationId) = 0;
};

struct ICoreWebView2SourceChangedEventArgs : IUnknown {
  ZEL_IID(0x31E0E545, 0x1DBA, 0x4266, 0x89, 0x14, 0xF6, 0x38, 0x48, 0xA1, 0xF7, 0xD7)
  virtual HRESULT get_IsNewDocument(BOOL* isNewDocument) = 0;
};

struct ICoreWebView2ContentLoadingEventArgs : IUnknown {
  ZEL_IID(0x0C8A1275, 0x9B6B, 0x4901, 0x87, 0xAD, 0x70, 0xDF, 0x25, 0xBA, 0xFA, 0x6E)
  virtual HRESULT get_IsErrorPage(BOOL* isErrorPage) = 0;
  virtual HRESULT get_NavigationId(UINT64* navigationId) = 0;
};

struct ICoreWebView2ProcessFailedEventArgs : IUnknown {
  ZEL_IID(0x8155A9A4, 0x1474, 0x4A86, 0x8C, 0xAE, 0x15, 0x1B, 0x0F, 0xA6, 0xB8, 0xCA)
  virtual HRESULT get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* processFailedKind) = 0;
};

struct ICoreWebView2ScriptDialogOpeningEventArgs : IUnknown {
  ZEL_IID(0x7390BB70, 0xABE0, 0x4843, 0x95, 0x29, 0xF1, 0x43, 0xB3, 0x1B, 0x03, 0xD6)
  virtual HRESULT get_Uri(LPWSTR* uri) = 0;
  virtual HRESULT get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) = 0;
  virtual HRESULT get_Message(LPWSTR* message) = 0;
  virtual HRESULT Accept() = 0;
  virtual HRESULT get_DefaultText(LPWSTR* defaultText) = 0;
  virtual HRESULT get_ResultText(LPWSTR* resultText) = 0;
  virtual HRESULT put_ResultText(LPCWSTR resultText) = 0;
  virtual HRESULT GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

struct ICoreWebView2MoveFocusRequestedEventArgs : IUnknown {
  ZEL_IID(0x2D6AA13B, 0x3839, 0x4A15, 0x92, 0xFC, 0xD8, 0x8B, 0x3C, 0x0D, 0x9C, 0x9D)
  virtual HRESULT get_Reason(COREWEBVIEW2_MOVE_FOCUS_REASON* reason) = 0;
  virtual HRESULT get_Handled(BOOL* value) = 0;
  virtual HRESULT put_Handled(BOOL value) = 0;
};

struct ICoreWebView2AcceleratorKeyPressedEventArgs : IUnknown {
  ZEL_IID(0x9F760F8A, 0xFB79, 0x42BE, 0x99, 0x90, 0x7B, 0x56, 0x90, 0x0F, 0xA9, 0xC7)
  virtual HRESULT get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* keyEventKind) = 0;
  virtual HRESULT get_VirtualKey(UINT* virtualKey) = 0;
  virtual HRESULT get_KeyEventLParam(INT* lParam) = 0;
  virtual HRESULT get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* physicalKeyStatus) = 0;
  virtual HRESULT get_Handled(BOOL* handled) = 0;
  virtual HRESULT put_Handled(BOOL handled) = 0;
};

struct ICoreWebView2DevToolsProtocolEventReceivedEventArgs : IUnknown {
  ZEL_IID(0x653C2959, 0xBB3A, 0x4377, 0x86, 0x32, 0xB5, 0x8A, 0xDA, 0x4E, 0x66, 0xC4)
  virtual HRESULT get_ParameterObjectAsJson(LPWSTR* parameterObjectAsJson) = 0;
};

struct ICoreWebView2DevToolsProtocolEventReceiver : IUnknown {
  ZEL_IID(0xB32CA51A, 0x8371, 0x45E9, 0x93, 0x17, 0xAF, 0x02, 0x1D, 0x08, 0x03, 0x67)
  virtual HRESULT add_DevToolsProtocolEventReceived(
      ICoreWebView2DevToolsProtocolEventReceivedEventHandler* handler,
      EventRegistrationToken* token) = 0;
  virtual HRESULT remove_DevToolsProtocolEventReceived(EventRegistrationToken token) = 0;
};

// ---- The four main interfaces --------------------------------------------

struct ICoreWebView2Environment : IUnknown {
  ZEL_IID(0xB96D755E, 0x0319, 0x4E92, 0xA2, 0x96, 0x23, 0x43, 0x6F, 0x46, 0xA1, 0xFC)
  virtual HRESULT CreateCoreWebView2Controller(
      HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;
  virtual HRESULT CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                            LPCWSTR headers,
                                            ICoreWebView2WebResourceResponse** response) = 0;
  virtual HRESULT get_BrowserVersionString(LPWSTR* versionInfo) = 0;
  virtual HRESULT add_NewBrowserVersionAvailable(
      ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;
  virtual HRESULT remove_NewBrowserVersionAvailable(EventRegistrationToken token) = 0;
};

struct ICoreWebView2Controller : IUnknown {
  ZEL_IID(0x4D00C0D1, 0x9434, 0x4EB6, 0x80, 0x78, 0x86, 0x97, 0xA5, 0x60, 0x33, 0x4F)
  virtual HRESULT get_IsVisible(BOOL* isVisible) = 0;
  virtual HRESULT put_IsVisible(BOOL isVisible) = 0;
  virtual HRESULT get_Bounds(RECT* bounds) = 0;
  virtual HRESULT put_Bounds(RECT bounds) = 0;
  virtual HRESULT get_ZoomFactor(double* zoomFactor) = 0;
  virtual HRESULT put_ZoomFactor(double zoomFactor) = 0;
  virtual HRESULT add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
                                        EventRegistrationToken* token) = 0;
  virtual HRESULT remove_ZoomFactorChanged(EventRegistrationToken token) = 0;
  virtual HRESULT SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) = 0;
  virtual HRESULT MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;
  virtual HRESULT add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
                                         EventRegistrationToken* token) = 0;
  virtual HRESULT remove_MoveFocusRequested(EventRegistrationToken token) = 0;
  virtual HRESULT add_GotFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                               EventRegistrationToken* token) = 0;
  virtual HRESULT remove_GotFocus(EventRegistrationToken token) = 0;
  virtual HRESULT add_LostFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                EventRegistrationToken* token) = 0;
  virtual HRESULT remove_LostFocus(EventRegistrationToken token) = 0;
  virtual HRESULT add_AcceleratorKeyPressed(
      ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;
  virtual HRESULT remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;
  virtual HRESULT get_ParentWindow(HWND* parentWindow) = 0;
  virtual HRESULT put_ParentWindow(HWND parentWindow) = 0;
  virtual HRESULT NotifyParentWindowPositionChanged() = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT get_CoreWebView2(ICoreWebView2** coreWebView2) = 0;
};

#define ZEL_EVENT(Name, Handler)                                                        \
  virtual HRESULT add_##Name(Handler* eventHandler, EventRegistrationToken* token) = 0; \
  virtual HRESULT remove_##Name(EventRegistrationToken token) = 0;

struct ICoreWebView2 : IUnknown {
  ZEL_IID(0x76ECEACB, 0x0462, 0x4D94, 0xAC, 0x83, 0x42, 0x3A, 0x67, 0x93, 0x77, 0x5E)
  virtual HRESULT get_Settings(ICoreWebView2Settings** settings) = 0;
  virtual HRESULT get_Source(LPWSTR* uri) = 0;
  virtual HRESULT Navigate(LPCWSTR uri) = 0;
  virtual HRESULT NavigateToString(LPCWSTR htmlContent) = 0;
  ZEL_EVENT(NavigationStarting, ICoreWebView2NavigationStartingEventHandler)
  ZEL_EVENT(ContentLoading, ICoreWebView2ContentLoadingEventHandler)
  ZEL_EVENT(SourceChanged, ICoreWebView2SourceChangedEventHandler)
  ZEL_EVENT(HistoryChanged, ICoreWebView2HistoryChangedEventHandler)
  ZEL_EVENT(NavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
  ZEL_EVENT(FrameNavigationStarting, ICoreWebView2NavigationStartingEventHandler)
  ZEL_EVENT(FrameNavigationCompleted, ICoreWebView2NavigationCompletedEventHandler)
  ZEL_EVENT(ScriptDialogOpening, ICoreWebView2ScriptDialogOpeningEventHandler)
  ZEL_EVENT(PermissionRequested, ICoreWebView2PermissionRequestedEventHandler)
  ZEL_EVENT(ProcessFailed, ICoreWebView2ProcessFailedEventHandler)
  virtual HRESULT AddScriptToExecuteOnDocumentCreated(
      LPCWSTR javaScript,
      ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;
  virtual HRESULT RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0;
  virtual HRESULT ExecuteScript(LPCWSTR javaScript,
                                ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;
  virtual HRESULT CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
                                 IStream* imageStream,
                                 ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;
  virtual HRESULT Reload() = 0;
  virtual HRESULT PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;
  virtual HRESULT PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;
  ZEL_EVENT(WebMessageReceived, ICoreWebView2WebMessageReceivedEventHandler)
  virtual HRESULT CallDevToolsProtocolMethod(
      LPCWSTR methodName, LPCWSTR parametersAsJson,
      ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;
  virtual HRESULT get_BrowserProcessId(UINT32* value) = 0;
  virtual HRESULT get_CanGoBack(BOOL* canGoBack) = 0;
  virtual HRESULT get_CanGoForward(BOOL* canGoForward) = 0;
  virtual HRESULT GoBack() = 0;
  virtual HRESULT GoForward() = 0;
  virtual HRESULT GetDevToolsProtocolEventReceiver(
      LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0;
  virtual HRESULT Stop() = 0;
  ZEL_EVENT(NewWindowRequested, ICoreWebView2NewWindowRequestedEventHandler)
  ZEL_EVENT(DocumentTitleChanged, ICoreWebView2DocumentTitleChangedEventHandler)
  virtual HRESULT get_DocumentTitle(LPWSTR* title) = 0;
  // The VARIANT* parameter is never used here; a pointer keeps the slot's ABI.
  virtual HRESULT AddHostObjectToScript(LPCWSTR name, void* object) = 0;
  virtual HRESULT RemoveHostObjectFromScript(LPCWSTR name) = 0;
  virtual HRESULT OpenDevToolsWindow() = 0;
  ZEL_EVENT(ContainsFullScreenElementChanged,
            ICoreWebView2ContainsFullScreenElementChangedEventHandler)
  virtual HRESULT get_ContainsFullScreenElement(BOOL* containsFullScreenElement) = 0;
  ZEL_EVENT(WebResourceRequested, ICoreWebView2WebResourceRequestedEventHandler)
  virtual HRESULT AddWebResourceRequestedFilter(
      LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;
  virtual HRESULT RemoveWebResourceRequestedFilter(
      LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;
  ZEL_EVENT(WindowCloseRequested, ICoreWebView2WindowCloseRequestedEventHandler)
};

#undef ZEL_EVENT

struct ICoreWebView2Settings : IUnknown {
  ZEL_IID(0xE562E4F0, 0xD7FA, 0x43AC, 0x8D, 0x71, 0xC0, 0x51, 0x50, 0x49, 0x9F, 0x00)
  virtual HRESULT get_IsScriptEnabled(BOOL* value) = 0;
  virtual HRESULT put_IsScriptEnabled(BOOL value) = 0;
  virtual HRESULT get_IsWebMessageEnabled(BOOL* value) = 0;
  virtual HRESULT put_IsWebMessageEnabled(BOOL value) = 0;
  virtual HRESULT get_AreDefaultScriptDialogsEnabled(BOOL* value) = 0;
  virtual HRESULT put_AreDefaultScriptDialogsEnabled(BOOL value) = 0;
  virtual HRESULT get_IsStatusBarEnabled(BOOL* value) = 0;
  virtual HRESULT put_IsStatusBarEnabled(BOOL value) = 0;
  virtual HRESULT get_AreDevToolsEnabled(BOOL* value) = 0;
  virtual HRESULT put_AreDevToolsEnabled(BOOL value) = 0;
  virtual HRESULT get_AreDefaultContextMenusEnabled(BOOL* value) = 0;
  virtual HRESULT put_AreDefaultContextMenusEnabled(BOOL value) = 0;
  virtual HRESULT get_AreHostObjectsAllowed(BOOL* value) = 0;
  virtual HRESULT put_AreHostObjectsAllowed(BOOL value) = 0;
  virtual HRESULT get_IsZoomControlEnabled(BOOL* value) = 0;
  virtual HRESULT put_IsZoomControlEnabled(BOOL value) = 0;
  virtual HRESULT get_IsBuiltInErrorPageEnabled(BOOL* value) = 0;
  virtual HRESULT put_IsBuiltInErrorPageEnabled(BOOL value) = 0;
};

#undef ZEL_IID

// ---- The binary layout the Windows x64 runtime expects -----------------------

#define ZEL_CHECK_ENUM(E) static_assert(sizeof(E) == 4, #E " must be 32 bits");
ZEL_CHECK_ENUM(COREWEBVIEW2_WEB_RESOURCE_CONTEXT)
ZEL_CHECK_ENUM(COREWEBVIEW2_PERMISSION_KIND)
ZEL_CHECK_ENUM(COREWEBVIEW2_PERMISSION_STATE)
ZEL_CHECK_ENUM(COREWEBVIEW2_PROCESS_FAILED_KIND)
ZEL_CHECK_ENUM(COREWEBVIEW2_WEB_ERROR_STATUS)
ZEL_CHECK_ENUM(COREWEBVIEW2_KEY_EVENT_KIND)
ZEL_CHECK_ENUM(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT)
ZEL_CHECK_ENUM(COREWEBVIEW2_MOVE_FOCUS_REASON)
ZEL_CHECK_ENUM(COREWEBVIEW2_SCRIPT_DIALOG_KIND)
#undef ZEL_CHECK_ENUM

static_assert(sizeof(COREWEBVIEW2_PHYSICAL_KEY_STATUS) == 24 &&
              alignof(COREWEBVIEW2_PHYSICAL_KEY_STATUS) == 4);
ZEL_FIELD_AT(COREWEBVIEW2_PHYSICAL_KEY_STATUS, RepeatCount, 0)
ZEL_FIELD_AT(COREWEBVIEW2_PHYSICAL_KEY_STATUS, ScanCode, 4)
ZEL_FIELD_AT(COREWEBVIEW2_PHYSICAL_KEY_STATUS, IsExtendedKey, 8)
ZEL_FIELD_AT(COREWEBVIEW2_PHYSICAL_KEY_STATUS, IsMenuKeyDown, 12)
ZEL_FIELD_AT(COREWEBVIEW2_PHYSICAL_KEY_STATUS, WasKeyDown, 16)
ZEL_FIELD_AT(COREWEBVIEW2_PHYSICAL_KEY_STATUS, IsKeyReleased, 20)

// Every interface declared above, for the layout checks and the tests.
#define ZEL_WEBVIEW2_INTERFACES(X)                                    \
  X(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler)       \
  X(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler)        \
  X(ICoreWebView2ExecuteScriptCompletedHandler)                       \
  X(ICoreWebView2CapturePreviewCompletedHandler)                      \
  X(ICoreWebView2CallDevToolsProtocolMethodCompletedHandler)          \
  X(ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler) \
  X(ICoreWebView2NavigationStartingEventHandler)                      \
  X(ICoreWebView2NavigationCompletedEventHandler)                     \
  X(ICoreWebView2SourceChangedEventHandler)                           \
  X(ICoreWebView2HistoryChangedEventHandler)                          \
  X(ICoreWebView2ContentLoadingEventHandler)                          \
  X(ICoreWebView2DocumentTitleChangedEventHandler)                    \
  X(ICoreWebView2NewWindowRequestedEventHandler)                      \
  X(ICoreWebView2WebResourceRequestedEventHandler)                    \
  X(ICoreWebView2ScriptDialogOpeningEventHandler)                     \
  X(ICoreWebView2PermissionRequestedEventHandler)                     \
  X(ICoreWebView2ProcessFailedEventHandler)                           \
  X(ICoreWebView2WebMessageReceivedEventHandler)                      \
  X(ICoreWebView2WindowCloseRequestedEventHandler)                    \
  X(ICoreWebView2ContainsFullScreenElementChangedEventHandler)        \
  X(ICoreWebView2ZoomFactorChangedEventHandler)                       \
  X(ICoreWebView2MoveFocusRequestedEventHandler)                      \
  X(ICoreWebView2FocusChangedEventHandler)                            \
  X(ICoreWebView2AcceleratorKeyPressedEventHandler)                   \
  X(ICoreWebView2DevToolsProtocolEventReceivedEventHandler)           \
  X(ICoreWebView2NewBrowserVersionAvailableEventHandler)              \
  X(ICoreWebView2Deferral)                                            \
  X(ICoreWebView2HttpHeadersCollectionIterator)                       \
  X(ICoreWebView2HttpRequestHeaders)                                  \
  X(ICoreWebView2HttpResponseHeaders)                                 \
  X(ICoreWebView2WebResourceRequest)                                  \
  X(ICoreWebView2WebResourceResponse)                                 \
  X(ICoreWebView2WebResourceRequestedEventArgs)                       \
  X(ICoreWebView2WebMessageReceivedEventArgs)                         \
  X(ICoreWebView2NewWindowRequestedEventArgs)                         \
  X(ICoreWebView2PermissionRequestedEventArgs)                        \
  X(ICoreWebView2NavigationStartingEventArgs)                         \
  X(ICoreWebView2NavigationCompletedEventArgs)                        \
  X(ICoreWebView2SourceChangedEventArgs)                              \
  X(ICoreWebView2ContentLoadingEventArgs)                             \
  X(ICoreWebView2ProcessFailedEventArgs)                              \
  X(ICoreWebView2ScriptDialogOpeningEventArgs)                        \
  X(ICoreWebView2MoveFocusRequestedEventArgs)                         \
  X(ICoreWebView2AcceleratorKeyPressedEventArgs)                      \
  X(ICoreWebView2DevToolsProtocolEventReceivedEventArgs)              \
  X(ICoreWebView2DevToolsProtocolEventReceiver)                       \
  X(ICoreWebView2Environment)                                         \
  X(ICoreWebView2Controller)                                          \
  X(ICoreWebView2)                                                    \
  X(ICoreWebView2Settings)
ZEL_WEBVIEW2_INTERFACES(ZEL_CHECK_INTERFACE)

// ---- The loader library's exports ----------------------------------------

using TCreateCoreWebView2Environment =
    HRESULT (*)(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
using TGetCoreWebView2BrowserVersionString = HRESULT (*)(LPCWSTR browserExecutableFolder,
                                                         LPWSTR* versionInfo);
using TGetAvailableCoreWebView2BrowserVersionString = HRESULT (*)(LPCWSTR browserExecutableFolder,
                                                                  LPWSTR* versionInfo);

}  // namespace zel

#include "toolkit/accessible.h"

#include <cctype>

#include "core/errors.h"
#include "core/resource_strings.h"
#include "core/text.h"
#include "platform/lazy_library.h"

namespace velt {

namespace {

// Declared here: the interface's identifier comes from oleacc, which is
// loaded late.
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <typename Function>
Function* Late(const char* dll, const char* name) {
    try {
        return platform::SystemFunction<Function>(dll, name);
    } catch (const Exception&) {
        return nullptr;
    }
}

BSTR NewBstr(const std::u16string& text) {
    using Alloc = BSTR WINAPI(const OLECHAR*, UINT);
    static Alloc* alloc = Late<Alloc>("oleaut32.dll", "SysAllocStringLen");
    if (!alloc) return nullptr;
    return alloc(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

// The COM apartment the object lives in; the window's thread joins it once.
bool JoinApartment() {
    using Init = HRESULT WINAPI(LPVOID, DWORD);
    static Init* init = Late<Init>("ole32.dll", "CoInitializeEx");
    thread_local bool joined = init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
    return joined;
}

} // namespace

UINT AccessibleActionMessage() {
    static UINT message = RegisterWindowMessageA("VeltAccessibleAction");
    return message;
}

void NotifyAccessible(DWORD event, HWND window, LONG child) {
    if (window) NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

std::u16string SpokenCaption(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (++i == caption.size()) break;
        }
        out += caption[i];
    }
    return Widen(out);
}

std::u16string SpokenText(int id) {
    ResStringRec rec{nullptr, id};
    return LoadResourceText(&rec);
}

char MnemonicOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;
    }
    return '\0';
}

IDispatch* WindowObject(HWND window) {
    using FromWindow = HRESULT WINAPI(HWND, DWORD, REFIID, void**);
    static FromWindow* get = Late<FromWindow>("oleacc.dll", "AccessibleObjectFromWindow");
    void* object = nullptr;
    if (!get || FAILED(get(window, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch, &object))) return nullptr;
    return static_cast<IDispatch*>(object);
}

// IAccessible over a source. Every call checks the thread and that the
// window is still there: a reader may keep the object after the window went.
class AccessibleObject final : public IAccessible {
public:
    AccessibleObject(HWND window, AccessibleSource* source)
        : window_(window), source_(source), thread_(GetCurrentThreadId()) {}

    void Disconnect() {
        source_ = nullptr;
        using Cut = HRESULT WINAPI(LPUNKNOWN, DWORD);
        static Cut* cut = Late<Cut>("ole32.dll", "CoDisconnectObject");
        if (cut) cut(static_cast<IAccessible*>(this), 0);
    }

    // ---- IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // ---- IDispatch: readers use the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // ---- IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        HRESULT ready = Ready();
        if (ready != S_OK) return ready;
        using FromWindow = HRESULT WINAPI(HWND, DWORD, REFIID, void**);
        static FromWindow* get = Late<FromWindow>("oleacc.dll", "AccessibleObjectFromWindow");
        if (!get) return S_FALSE;
        void* object = nullptr;
        if (FAILED(get(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch, &object))) return S_FALSE;
        *parent = static_cast<IDispatch*>(object);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        HRESULT ready = Ready();
        if (ready != S_OK) return ready;
        return Guard([&] { *count = source_->ChildCount(); });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        if (id == CHILDID_SELF) return E_INVALIDARG;
        HRESULT guarded = Guard([&] { *object = source_->ChildObject(id); });
        if (guarded != S_OK) return guarded;
        return *object ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [this](int id) { return source_->Name(id); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        HRESULT result = E_FAIL;
        std::u16string text;
        HRESULT guarded = Guard([&] { result = source_->Value(id, text); });
        if (guarded != S_OK) return guarded;
        if (result != S_OK) return result;
        *value = NewBstr(text);
        return *value ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Text(child, text, [this](int id) { return source_->Description(id); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, [this](int id) { return source_->Role(id); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state, [this](int id) { return source_->State(id); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        if (help) *help = nullptr;
        return help ? S_FALSE : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return Text(child, shortcut, [this](int id) { return source_->Shortcut(id); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantEmpty(focus);
        HRESULT ready = Ready();
        if (ready != S_OK) return ready;
        int id = -1;
        HRESULT guarded = Guard([&] { id = source_->Focus(); });
        if (guarded != S_OK) return guarded;
        return Place(id, focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantEmpty(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Text(child, action, [this](int id) { return source_->DefaultAction(id); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        bool done = false;
        HRESULT guarded = Guard([&] { done = source_->Select(id, flags); });
        if (guarded != S_OK) return guarded;
        return done ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        RECT r{};
        bool shown = false;
        HRESULT guarded = Guard([&] { shown = source_->Location(id, r); });
        if (guarded != S_OK) return guarded;
        if (!shown) return S_FALSE;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantEmpty(end);
        int id;
        HRESULT ok = Child(start, id);
        if (ok != S_OK) return ok;
        int to = -1;
        HRESULT guarded = Guard([&] { to = source_->Navigate(direction, id); });
        if (guarded != S_OK) return guarded;
        return to > 0 ? Place(to, end) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        VariantEmpty(hit);
        HRESULT ready = Ready();
        if (ready != S_OK) return ready;
        int id = -1;
        HRESULT guarded = Guard([&] { id = source_->HitTest(POINT{x, y}); });
        if (guarded != S_OK) return guarded;
        return Place(id, hit);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        bool has = false;
        HRESULT guarded = Guard([&] { has = !source_->DefaultAction(id).empty(); });
        if (guarded != S_OK) return guarded;
        if (!has) return DISP_E_MEMBERNOTFOUND;
        return PostMessageA(window_, AccessibleActionMessage(), static_cast<WPARAM>(id), 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() = default;

    HRESULT Ready() const {
        if (!source_ || !IsWindow(window_)) return CO_E_OBJNOTCONNECTED;
        if (GetCurrentThreadId() != thread_) return RPC_E_WRONG_THREAD;
        return S_OK;
    }

    // The child number of a VARIANT, checked against the count now.
    HRESULT Child(const VARIANT& child, int& id) {
        HRESULT ready = Ready();
        if (ready != S_OK) return ready;
        if (child.vt != VT_I4) return E_INVALIDARG;
        id = static_cast<int>(child.lVal);
        int count = 0;
        HRESULT guarded = Guard([&] { count = source_->ChildCount(); });
        if (guarded != S_OK) return guarded;
        return id >= 0 && id <= count ? S_OK : E_INVALIDARG;
    }

    // No exception may leave a call of a reader.
    template <typename Body>
    static HRESULT Guard(Body body) {
        try {
            body();
        } catch (...) {
            return E_FAIL;
        }
        return S_OK;
    }

    template <typename Get>
    HRESULT Text(const VARIANT& child, BSTR* out, Get get) {
        if (!out) return E_POINTER;
        *out = nullptr;
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        std::u16string text;
        HRESULT guarded = Guard([&] { text = get(id); });
        if (guarded != S_OK) return guarded;
        if (text.empty()) return S_FALSE;
        *out = NewBstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    template <typename Get>
    HRESULT Number(const VARIANT& child, VARIANT* out, Get get) {
        if (!out) return E_POINTER;
        VariantEmpty(out);
        int id;
        HRESULT ok = Child(child, id);
        if (ok != S_OK) return ok;
        long value = 0;
        HRESULT guarded = Guard([&] { value = get(id); });
        if (guarded != S_OK) return guarded;
        out->vt = VT_I4;
        out->lVal = value;
        return S_OK;
    }

    // A child as readers expect it: its own object, or its number.
    HRESULT Place(int id, VARIANT* out) {
        if (id < 0) return S_FALSE;
        if (id > 0) {
            IDispatch* object = nullptr;
            Guard([&] { object = source_->ChildObject(id); });
            if (object) {
                out->vt = VT_DISPATCH;
                out->pdispVal = object;
                return S_OK;
            }
        }
        out->vt = VT_I4;
        out->lVal = id;
        return S_OK;
    }

    static void VariantEmpty(VARIANT* v) {
        ZeroMemory(v, sizeof *v);
        v->vt = VT_EMPTY;
    }

    LONG refs_ = 1;
    HWND window_;
    AccessibleSource* source_;
    DWORD thread_;
};

LRESULT AccessibleLink::Answer(HWND window, WPARAM wParam, AccessibleSource& source) {
    using FromObject = LRESULT WINAPI(REFIID, WPARAM, LPUNKNOWN);
    static FromObject* answer = Late<FromObject>("oleacc.dll", "LresultFromObject");
    if (!answer || !JoinApartment()) return 0;
    if (!object_) object_ = new AccessibleObject(window, &source);
    LRESULT r = answer(kIidAccessible, wParam, static_cast<IAccessible*>(object_));
    return r < 0 ? 0 : r;
}

void AccessibleLink::Disconnect() noexcept {
    if (!object_) return;
    object_->Disconnect();
    object_->Release();
    object_ = nullptr;
}

} // namespace velt

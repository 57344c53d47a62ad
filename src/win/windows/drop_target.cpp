#include "win/windows/drop_target.h"

#include <shellapi.h>

#include <atomic>

#include "win/system/on_demand.h"
#include "win/system/strings.h"

namespace tarvek::win {

namespace {

FORMATETC Format(CLIPFORMAT format) {
  return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool Has(IDataObject* data, CLIPFORMAT format) {
  FORMATETC wanted = Format(format);
  return data != nullptr && data->QueryGetData(&wanted) == S_OK;
}

void Release(STGMEDIUM& medium) {
  static const auto release =
      OnDemand<decltype(&ReleaseStgMedium)>(L"ole32.dll", "ReleaseStgMedium");
  if (release != nullptr) release(&medium);
}

// The medium's memory, locked for as long as the object lives.
class Locked {
 public:
  Locked(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = Format(format);
    if (data == nullptr || data->GetData(&wanted, &medium_) != S_OK) return;
    got_ = true;
    if (medium_.tymed != TYMED_HGLOBAL || medium_.hGlobal == nullptr) return;
    bytes_ = GlobalLock(medium_.hGlobal);
    size_ = bytes_ != nullptr ? GlobalSize(medium_.hGlobal) : 0;
  }
  ~Locked() {
    if (bytes_ != nullptr) GlobalUnlock(medium_.hGlobal);
    if (got_) Release(medium_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  const void* Bytes() const { return bytes_; }
  std::size_t Size() const { return size_; }
  HGLOBAL Global() const { return bytes_ != nullptr ? medium_.hGlobal : nullptr; }

 private:
  STGMEDIUM medium_{};
  bool got_ = false;
  void* bytes_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace

DragOffer OfferOf(IDataObject* data) {
  return {Has(data, CF_HDROP), Has(data, CF_UNICODETEXT) || Has(data, CF_TEXT)};
}

std::vector<std::string> DroppedFiles(IDataObject* data) {
  std::vector<std::string> files;
  Locked list(data, CF_HDROP);
  if (list.Global() == nullptr) return files;
  static const auto query = OnDemand<decltype(&DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
  if (query == nullptr) return files;
  auto drop = static_cast<HDROP>(list.Global());
  UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = query(drop, i, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    path.resize(query(drop, i, path.data(), length + 1));
    files.push_back(Narrow(path));
  }
  return files;
}

std::optional<std::string> DroppedText(IDataObject* data) {
  if (Has(data, CF_UNICODETEXT)) {
    Locked text(data, CF_UNICODETEXT);
    if (text.Bytes() == nullptr) return std::nullopt;
    // Up to the terminating NUL, never past the memory's end.
    std::wstring_view all(static_cast<const wchar_t*>(text.Bytes()), text.Size() / sizeof(wchar_t));
    return Narrow(all.substr(0, all.find(L'\0')));
  }
  if (Has(data, CF_TEXT)) {
    Locked text(data, CF_TEXT);
    if (text.Bytes() == nullptr) return std::nullopt;
    std::string_view all(static_cast<const char*>(text.Bytes()), text.Size());
    return AnsiToUtf8(all.substr(0, all.find('\0')));
  }
  return std::nullopt;
}

class DropTarget::Object final : public IDropTarget {
 public:
  explicit Object(DropHandler& handler) : handler_(&handler) {}
  void Detach() { handler_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL at, DWORD* effect) override {
    offer_ = OfferOf(data);
    return Answer(at, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL at, DWORD* effect) override {
    return Answer(at, effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    offer_ = {};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) override {
    if (effect == nullptr) return E_INVALIDARG;
    DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    DropHandler* handler = handler_;
    if (handler == nullptr) return S_OK;
    // No exception may leave a call from OLE.
    try {
      *effect = handler->Dropped(data, OfferOf(data), POINT{at.x, at.y}) & allowed;
    } catch (...) {
      *effect = DROPEFFECT_NONE;
    }
    offer_ = {};
    return S_OK;
  }

 private:
  ~Object() = default;
  HRESULT Answer(POINTL at, DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    DWORD wanted = DROPEFFECT_NONE;
    try {
      if (handler_ != nullptr) wanted = handler_->DragEffect(offer_, POINT{at.x, at.y});
    } catch (...) {
      wanted = DROPEFFECT_NONE;
    }
    *effect &= wanted;  // nothing where the source allows no copy
    return S_OK;
  }

  std::atomic<ULONG> references_{1};
  DropHandler* handler_;
  DragOffer offer_;
};

DropTarget::DropTarget(DropHandler& handler) : object_(new Object(handler)) {}

DropTarget::~DropTarget() {
  Revoke();
  object_->Detach();
  object_->Release();
}

bool DropTarget::Register(HWND window) {
  Revoke();
  static const auto registerTarget =
      OnDemand<decltype(&RegisterDragDrop)>(L"ole32.dll", "RegisterDragDrop");
  if (registerTarget == nullptr || registerTarget(window, object_) != S_OK) return false;
  window_ = window;
  return true;
}

void DropTarget::Revoke() {
  if (window_ == nullptr) return;
  static const auto revoke = OnDemand<decltype(&RevokeDragDrop)>(L"ole32.dll", "RevokeDragDrop");
  if (revoke != nullptr) revoke(window_);
  window_ = nullptr;
}

IDropTarget* DropTarget::Get() const { return object_; }

}  // namespace tarvek::win

// A data object as a drag source hands it over: a file list (CF_HDROP), Unicode or ANSI text,
// or only a format of its own, each given out as fresh global memory on every GetData. Used by
// the Windows-side tests, which call a window's drop target with it, and by the end-to-end
// driver, which drags it for real.
#pragma once

#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace tarvek::testdata {

class DataObject final : public IDataObject {
 public:
  static DataObject* Files(const std::vector<std::wstring>& paths) {
    std::string list(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(list.data(), &header, sizeof header);
    for (const std::wstring& path : paths)
      Append(list, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    Append(list, L"", sizeof(wchar_t));
    return new DataObject({{CF_HDROP, list}});
  }
  static DataObject* UnicodeText(const std::wstring& text) {
    std::string bytes;
    Append(bytes, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return new DataObject({{CF_UNICODETEXT, bytes}});
  }
  static DataObject* AnsiText(const std::string& text) {
    return new DataObject({{CF_TEXT, text + '\0'}});
  }
  // Neither files nor text: a format no program takes.
  static DataObject* Neither() {
    auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"TarvekTestOnly"));
    return new DataObject({{format, std::string("x")}});
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
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

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    const std::string* bytes = Find(format);
    if (bytes == nullptr) return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes->size());
    if (memory == nullptr) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(memory), bytes->data(), bytes->size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return Find(format) != nullptr ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const auto& [format, bytes] : formats_) formats.push_back(Format(format));
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  explicit DataObject(std::vector<std::pair<CLIPFORMAT, std::string>> formats)
      : formats_(std::move(formats)) {}
  ~DataObject() = default;
  static void Append(std::string& out, const void* data, std::size_t size) {
    out.append(static_cast<const char*>(data), size);
  }
  static FORMATETC Format(CLIPFORMAT format) {
    return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  }
  const std::string* Find(const FORMATETC* format) const {
    if (format == nullptr || (format->tymed & TYMED_HGLOBAL) == 0) return nullptr;
    for (const auto& [id, bytes] : formats_) {
      if (id == format->cfFormat) return &bytes;
    }
    return nullptr;
  }

  std::atomic<ULONG> references_{1};
  std::vector<std::pair<CLIPFORMAT, std::string>> formats_;
};

}  // namespace tarvek::testdata

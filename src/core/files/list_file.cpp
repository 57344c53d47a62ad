#include "core/files/list_file.h"

#include <algorithm>
#include <optional>

#include "core/files/active_list.h"
#include "core/files/text_encoding.h"

namespace tarvek {

DecodedList DecodeList(std::string_view bytes, AnsiCodec& codec) {
  switch (ClassifyTextBytes(bytes, codec.AnsiCodePage())) {
    case TextBytes::kUtf8Mark:
      // A hand edit or a damaged disk may have cut a character short.
      return {ValidUtf8(bytes.substr(kUtf8Bom.size())), ListTextForm::kUtf8};
    case TextBytes::kUtf16Le:
      return {Utf16ToUtf8(bytes.substr(2), false), ListTextForm::kUtf8};
    case TextBytes::kUtf16Be:
      return {Utf16ToUtf8(bytes.substr(2), true), ListTextForm::kUtf8};
    case TextBytes::kUtf8:
      return {std::string(bytes), ListTextForm::kUtf8};
    case TextBytes::kGbk:
      // The system was switched to UTF-8 after the list was written in its old code page.
      return {ValidUtf8(codec.Cp936ToUtf8(std::string(bytes))), ListTextForm::kUtf8};
    case TextBytes::kAnsi:
      break;
  }
  return {codec.AnsiToUtf8(std::string(bytes)), ListTextForm::kAnsi};
}

std::string TrimBlanks(std::string_view text) {
  std::size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  std::size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

std::string SerializeList(const std::vector<BindingTexts>& bindings, AnsiCodec& codec,
                          ListTextForm form) {
  std::string utf8;
  for (const BindingTexts& binding : bindings) {
    for (const std::string& cell : binding) utf8.append(cell).append("\r\n");
  }
  if (form == ListTextForm::kAnsi) {
    std::optional<std::string> ansi = codec.Utf8ToAnsi(utf8);
    // ANSI bytes that a load would take for another form (on code page 936, "锘" and a
    // character whose first byte is BF begin like the UTF-8 mark) go as UTF-8 too.
    if (ansi && ClassifyTextBytes(*ansi, codec.AnsiCodePage()) == TextBytes::kAnsi) return *ansi;
  }
  // Some name or target has no form in the ANSI code page: keep it whole rather than lose it.
  return std::string(kUtf8Bom) + utf8;
}

namespace {

// Lines as the file has them: CR LF, or a lone CR or LF from a hand edit, ends a line; text after
// the last line end is one more line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text, start, i - start);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text, start);
  return lines;
}

}  // namespace

ListLoadReport ParseList(const std::string& bytes, AnsiCodec& codec, HotkeyTable& table) {
  for (HotkeyEntry& slot : table.slots) {
    slot.ModifierText.clear();
    slot.KeyText.clear();
    slot.Name.clear();
    slot.Modifiers = 0;
    slot.VirtualKey = 0;
  }
  ListLoadReport report;
  DecodedList decoded = DecodeList(bytes, codec);
  report.form = decoded.form;
  std::vector<std::string> lines = SplitLines(decoded.text);
  // Empty lines after the last binding (editors like to end a file with some) are no binding.
  // They may only complete the last binding, whose last texts are empty: a binding with an
  // empty target ends the file with "\r\n\r\n".
  std::size_t used = lines.size();
  while (used > 0 && lines[used - 1].empty()) --used;
  if (used % 4 != 0 && used + (4 - used % 4) <= lines.size()) used += 4 - used % 4;
  lines.resize(used);
  std::size_t complete = lines.size() / 4;
  report.incompleteTail = lines.size() % 4 != 0;
  int count = 0;
  for (std::size_t b = 0; b < complete; ++b) {
    std::string* line = &lines[b * 4];
    // The registrations stop at the first slot without modifier text; such a binding would hide
    // every binding after it and be dropped by the next save, so it is skipped here instead.
    if (line[0].empty()) {
      ++report.withoutModifier;
      continue;
    }
    if (count == kTableSlots) {
      ++report.surplus;
      continue;
    }
    HotkeyEntry& slot = table.slots[count];
    slot.ModifierText = std::move(line[0]);
    slot.KeyText = std::move(line[1]);
    slot.Name = std::move(line[2]);
    slot.Target = std::move(line[3]);
    slot.Modifiers = ModifierFlagsFromText(slot.ModifierText);
    slot.VirtualKey = KeyCodeFromName(slot.KeyText);
    ++count;
  }
  table.HotkeyCount = static_cast<std::int16_t>(count);
  report.loaded = count;
  return report;
}

std::vector<BindingTexts> TableBindings(const HotkeyTable& table) {
  std::vector<BindingTexts> bindings;
  for (int i = 0; i < table.Used(); ++i) {
    const HotkeyEntry& e = table.slots[i];
    bindings.push_back({e.ModifierText, e.KeyText, e.Name, e.Target});
  }
  return bindings;
}

std::vector<BindingTexts> GridBindings(const GridPort& grid) {
  std::vector<BindingTexts> bindings;
  for (int row = kFirstBindingRow; row < grid.Rows(); ++row) {
    BindingTexts texts;
    for (int column = 0; column < kGridColumns; ++column) texts[column] = grid.Cell(row, column);
    bindings.push_back(std::move(texts));
  }
  return bindings;
}

bool HotkeyListFile(std::string_view mode, const std::string& path, ListFileContext ctx) {
  if (mode == "get") return ReadListFile(path, ctx).Loaded();
  // The list read last is written back in the form it was read in.
  ListTextForm form = ListTextForm::kAnsi;
  if (ctx.activeForm != nullptr && SamePath(ctx.activeForm->path, path)) form = ctx.activeForm->form;
  std::string bytes = SerializeList(GridBindings(ctx.grid), ctx.codec, form);
  if (ctx.files.ReplaceFileBytes(path, bytes)) return true;
  ctx.dialogs.ShowMessageBox("无法保存热键列表文件：\n" + path + "\n\n原来的文件没有改动。", "错误!",
                         kMbIconError);
  return false;
}

}  // namespace tarvek

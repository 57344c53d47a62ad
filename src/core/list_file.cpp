#include "core/list_file.h"

#include <optional>

#include "core/active_list.h"

namespace tarvek {

std::string TrimBlanks(std::string_view text) {
  std::size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  std::size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

std::string SerializeList(const std::vector<BindingTexts>& bindings, AnsiCodec& codec) {
  std::string utf8;
  for (const BindingTexts& binding : bindings) {
    for (const std::string& cell : binding) utf8.append(cell).append("\r\n");
  }
  std::optional<std::string> ansi = codec.Utf8ToAnsi(utf8);
  // ANSI bytes that happen to begin like the UTF-8 byte-order mark (on code page 936, "锘" and
  // a character whose first byte is BF) would be read back as UTF-8: those go as UTF-8 too.
  if (ansi && !ansi->starts_with(kUtf8Bom)) return *ansi;
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
  std::string text;
  if (bytes.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0) {
    // Written by us as UTF-8, but a hand edit or a damaged disk may have cut a character short.
    text = ValidUtf8(std::string_view(bytes).substr(kUtf8Bom.size()));
  } else {
    text = codec.AnsiToUtf8(bytes);
  }
  std::vector<std::string> lines = SplitLines(text);
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
  std::string bytes = SerializeList(GridBindings(ctx.grid), ctx.codec);
  if (ctx.files.ReplaceFileBytes(path, bytes)) return true;
  ctx.dialogs.ShowMessageBox("无法保存热键列表文件：\n" + path + "\n\n原来的文件没有改动。", "错误!",
                         kMbIconError);
  return false;
}

}  // namespace tarvek

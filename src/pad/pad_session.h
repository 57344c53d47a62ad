// The pad and the end of the Windows session, and files dropped the old way: what the program
// tells Windows while the pad holds unsaved text, and what a WM_DROPFILES drop hands the pad.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pad/pad_model.h"

namespace tarvek {

// Shown by Windows beside the program on its page of programs that keep it from shutting down.
inline constexpr std::string_view kPadShutdownReason = "即拖即存中有未保存的文字";

// Whether the reason stands, following the pad's saved state: set while the pad holds unsaved
// text, taken back once it is saved, cleared or closed.
class ShutdownReasonDecision {
 public:
  enum class Step { kNone, kCreate, kDestroy };
  // What to do now that PadContentSaved is padSaved.
  Step Next(bool padSaved) const;
  // The step was taken; a create that failed is tried again at the next change.
  void Took(Step step, bool succeeded);
  bool Standing() const { return standing_; }

 private:
  bool standing_ = false;
};

// Files dropped on the text box by WM_DROPFILES (how Explorer reaches a copy that runs as
// administrator) go the way of an OLE file drop: the first file, while "支持文件拖放" is ticked
// and nothing else is under way. None: the drop is not taken.
std::optional<PadDrop> PadDropOfFiles(const std::vector<std::string>& files,
                                      const PadOptions& options, bool busy);

}  // namespace tarvek

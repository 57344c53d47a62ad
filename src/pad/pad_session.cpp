#include "pad/pad_session.h"

namespace tarvek {

ShutdownReasonDecision::Step ShutdownReasonDecision::Next(bool padSaved) const {
  if (!padSaved && !standing_) return Step::kCreate;
  if (padSaved && standing_) return Step::kDestroy;
  return Step::kNone;
}

void ShutdownReasonDecision::Took(Step step, bool succeeded) {
  if (step == Step::kCreate && succeeded) standing_ = true;
  // A reason that would not go is gone with the window at the latest: not tried again.
  if (step == Step::kDestroy) standing_ = false;
}

std::optional<PadDrop> PadDropOfFiles(const std::vector<std::string>& files,
                                      const PadOptions& options, bool busy) {
  // Without "支持文件拖放" the text box takes dragged text only, never files.
  if (files.empty() || !options.takeDrops || busy) return std::nullopt;
  PadDrop drop;
  drop.firstFile = files.front();
  return drop;
}

}  // namespace tarvek

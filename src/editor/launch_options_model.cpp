#include "editor/launch_options_model.h"

#include "core/list_file.h"

namespace tarvek {

LaunchOptionsModel::LaunchOptionsModel(const LaunchOptions& options)
    : arguments(options.Arguments),
      startIn(options.StartIn),
      window(static_cast<int>(options.Window)),
      admin(options.RunAs == RunLevel::kAdmin),
      ifRunning(static_cast<int>(options.WhenRunning)),
      enabled(options.Enabled) {}

void LaunchOptionsModel::FolderChosen(const std::optional<std::string>& folder) {
  if (folder && !folder->empty()) startIn = *folder;
}

LaunchOptions LaunchOptionsModel::Result() const {
  auto index = [](int i, std::size_t count) {
    return i >= 0 && static_cast<std::size_t>(i) < count ? i : 0;
  };
  LaunchOptions o;
  o.Arguments = TrimBlanks(arguments);
  o.StartIn = TrimBlanks(startIn);
  o.Window = static_cast<WindowState>(index(window, kWindowChoices.size()));
  o.RunAs = admin ? RunLevel::kAdmin : RunLevel::kNormal;
  o.WhenRunning = static_cast<IfRunning>(index(ifRunning, kIfRunningChoices.size()));
  o.Enabled = enabled;
  return o;
}

}  // namespace tarvek

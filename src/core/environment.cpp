#include "core/environment.h"

#include <map>

#include "core/launch_plan.h"

namespace tarvek {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The search lists Windows joins rather than replaces.
bool IsJoinedList(const std::string& upperName) {
  return upperName == "PATH" || upperName == "LIBPATH" || upperName == "OS2LIBPATH";
}

class Builder {
 public:
  explicit Builder(const std::function<std::optional<std::string>(const std::string&)>& current)
      : current_(current) {}

  void Take(const std::vector<EnvironmentValue>& values, bool joinLists) {
    // Plain values first: an expanded value may name any of them, whatever the order.
    for (bool expanded : {false, true}) {
      for (const EnvironmentValue& v : values) {
        if (v.expand != expanded || v.name.empty()) continue;
        std::string value = expanded ? ExpandVariables(v.value, [this](const std::string& n) {
          return Lookup(n);
        })
                                     : v.value;
        const std::string key = Upper(v.name);
        auto it = built_.find(key);
        if (joinLists && IsJoinedList(key) && it != built_.end() && !it->second.value.empty() &&
            !value.empty()) {
          std::string joined = it->second.value;
          if (joined.back() != ';') joined += ';';
          value = joined + value;
        }
        if (it == built_.end()) {
          order_.push_back(key);
          built_[key] = {v.name, std::move(value)};
        } else {
          it->second.value = std::move(value);  // the name keeps its first spelling
        }
      }
    }
  }

  bool Holds(const std::string& name) const { return built_.count(Upper(name)) != 0; }

  std::vector<EnvironmentChange> Changes() const {
    std::vector<EnvironmentChange> changes;
    for (const std::string& key : order_) {
      const Variable& v = built_.at(key);
      if (current_(v.name) != v.value) changes.push_back({v.name, v.value});
    }
    return changes;
  }

 private:
  struct Variable {
    std::string name;
    std::string value;
  };

  std::optional<std::string> Lookup(const std::string& name) const {
    auto it = built_.find(Upper(name));
    if (it != built_.end()) return it->second.value;
    return current_(name);
  }

  const std::function<std::optional<std::string>(const std::string&)>& current_;
  std::map<std::string, Variable> built_;
  std::vector<std::string> order_;
};

}  // namespace

std::vector<EnvironmentChange> RefreshedEnvironment(
    const EnvironmentKeys& before, const EnvironmentKeys& now,
    const std::function<std::optional<std::string>(const std::string&)>& current) {
  Builder builder(current);
  builder.Take(now.system, false);
  builder.Take(now.user, true);
  builder.Take(now.session, false);
  std::vector<EnvironmentChange> changes = builder.Changes();
  std::map<std::string, bool> removed;
  for (const auto* values : {&before.system, &before.user, &before.session}) {
    for (const EnvironmentValue& v : *values) {
      if (v.name.empty() || builder.Holds(v.name) || removed[Upper(v.name)]) continue;
      removed[Upper(v.name)] = true;
      if (current(v.name)) changes.push_back({v.name, std::nullopt});
    }
  }
  return changes;
}

void EnvironmentFollower::Remember(LaunchWithOptionsPort& system) { known_ = system.ReadEnvironmentKeys(); }

void EnvironmentFollower::Refresh(LaunchWithOptionsPort& system) {
  EnvironmentKeys now = system.ReadEnvironmentKeys();
  for (const EnvironmentChange& change : RefreshedEnvironment(
           known_, now, [&system](const std::string& name) { return system.EnvironmentVariable(name); })) {
    system.SetEnvironmentValue(change.name, change.value);
  }
  known_ = std::move(now);
}

}  // namespace tarvek

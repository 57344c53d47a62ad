#include "core/launch/environment.h"

#include <map>
#include <set>

#include "core/launch/launch_plan.h"

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
  // gone: the variables the keys no longer hold, which expand to nothing of theirs any more.
  Builder(const std::function<std::optional<std::string>(const std::string&)>& current,
          const std::set<std::string>& gone)
      : current_(current), gone_(gone) {}

  void Take(const std::vector<EnvironmentValue>& values, bool joinLists) {
    // Plain values first: an expanded value may name any of them, whatever the order.
    for (bool expanded : {false, true}) {
      for (const EnvironmentValue& v : values) {
        if (v.expand != expanded || v.name.empty()) continue;
        std::string value =
            expanded ? ExpandVariables(v.value, [this](const std::string& n) { return Lookup(n); })
                     : v.value;
        const std::string key = Upper(v.name);
        auto it = built_.find(key);
        if (joinLists && IsJoinedList(key) && it != built_.end() && !it->second.value.empty()) {
          if (value.empty()) continue;  // an empty list of the user's adds nothing
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
    if (gone_.count(Upper(name)) != 0) return std::nullopt;
    return current_(name);
  }

  const std::function<std::optional<std::string>(const std::string&)>& current_;
  const std::set<std::string>& gone_;
  std::map<std::string, Variable> built_;
  std::vector<std::string> order_;
};

}  // namespace

std::vector<EnvironmentChange> RefreshedEnvironment(
    const EnvironmentKeys& before, const EnvironmentKeys& now,
    const std::function<std::optional<std::string>(const std::string&)>& current) {
  std::set<std::string> held;
  for (const auto* values : {&now.system, &now.user, &now.session}) {
    for (const EnvironmentValue& v : *values) held.insert(Upper(v.name));
  }
  std::set<std::string> gone;
  std::vector<std::string> goneNames;  // as the keys spelt them, in their order
  for (const auto* values : {&before.system, &before.user, &before.session}) {
    for (const EnvironmentValue& v : *values) {
      if (!v.name.empty() && held.count(Upper(v.name)) == 0 && gone.insert(Upper(v.name)).second) {
        goneNames.push_back(v.name);
      }
    }
  }
  Builder builder(current, gone);
  builder.Take(now.system, false);
  builder.Take(now.user, true);
  builder.Take(now.session, false);
  std::vector<EnvironmentChange> changes = builder.Changes();
  for (const std::string& name : goneNames) {
    if (current(name)) changes.push_back({name, std::nullopt});
  }
  return changes;
}

void EnvironmentFollower::Remember(LaunchWithOptionsPort& system) {
  known_ = system.ReadEnvironmentKeys();
}

void EnvironmentFollower::Refresh(LaunchWithOptionsPort& system) {
  EnvironmentKeys now = system.ReadEnvironmentKeys();
  // A key that could not be read keeps the values it had: taking it as empty would remove Path
  // and the rest from every later launch.
  if (!now.systemRead) now.system = known_.system;
  if (!now.userRead) now.user = known_.user;
  if (!now.sessionRead) now.session = known_.session;
  for (const EnvironmentChange& change : RefreshedEnvironment(
           known_, now,
           [&system](const std::string& name) { return system.EnvironmentVariable(name); })) {
    system.SetEnvironmentValue(change.name, change.value);
  }
  known_ = std::move(now);
}

}  // namespace tarvek

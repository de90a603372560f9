#pragma once

// Tests that need a second program on the same files (two computers on one
// data root) start their own test program again with KROYNA_TEST_CHILD set
// to the name of a child registered here; main() then runs that child
// instead of the tests and exits with its status.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <string>

namespace kroyna::testing {

using ChildMain = std::function<int()>;

inline std::map<std::string, ChildMain>& children() {
  static std::map<std::string, ChildMain> all;
  return all;
}

// At namespace scope: `const bool registered = registerChild("name", fn);`.
inline bool registerChild(const std::string& name, ChildMain child) {
  children()[name] = std::move(child);
  return true;
}

// The child's status when this process was started as one, else -1.
inline int runChildIfAsked() {
  const QByteArray name = qgetenv("KROYNA_TEST_CHILD");
  if (name.isEmpty()) return -1;
  const auto it = children().find(name.toStdString());
  return it == children().end() ? 127 : it->second();
}

// Starts this test program as the child `name` with the extra environment.
inline void startChild(QProcess& process, const std::string& name, const QProcessEnvironment& extra,
                       const QString& program) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("KROYNA_TEST_CHILD"), QString::fromStdString(name));
  for (const QString& key : extra.keys()) env.insert(key, extra.value(key));
  process.setProcessEnvironment(env);
  process.start(program, QStringList{});
}

}  // namespace kroyna::testing

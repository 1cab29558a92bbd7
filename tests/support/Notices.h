// An engine's notices (the server's DraftServer, the owner's ClientSession)
// recorded by a scripted prompter, as the windows show them in a box.
#pragma once

#include <QObject>

#include "common/Prompt.h"

namespace pm::test {

template <class Engine>
void RecordNotices(Engine& engine, ScriptedPrompter& prompter) {
  QObject::connect(&engine, &Engine::notice, [&prompter](const Notice& n) { prompter.Inform(n); });
}

}  // namespace pm::test

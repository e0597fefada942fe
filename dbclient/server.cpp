// In-process server: alias list and numbered command handler (see server.h).
#include "dbclient/server.h"

#include "dbengine/collate.h"
#include "platform/rtl/files.h"

namespace {
bool gStarted = false;

std::string UpperName(const AnsiString& s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(ffdetail::kUpper[static_cast<uint8_t>(c)]);
  return u;
}
}  // namespace

TffServer& TffServer::Instance() {
  static TffServer* server = new TffServer;  // lives until the process ends
  gStarted = true;
  return *server;
}

bool TffServer::Started() { return gStarted; }

TBapiResult TffServer::Process(uint32_t command, TffCommand& data) {
  return FFGuard([&]() -> TBapiResult {
    switch (command) {
      case ffnmAddAlias: return AddAlias(data);
      case ffnmGetAliasPath: return GetAliasPath(data);
      case ffnmDeleteAlias: return DeleteAlias(data);
      case ffnmBuildTable: return BuildTable(data);
      case ffnmDeleteTable: return DeleteTable(data);
      case ffnmOpenTable: return OpenTable(data);
      default: return bapiNotSupported;
    }
  });
}

TBapiResult TffServer::AddAlias(TffCommand& c) {
  if (c.Alias.empty() || c.Path.empty()) return bapiInvalidParameter;
  // The path's length in characters: one the code page lacks counts once.
  if (c.Alias.size() > ffMaxAliasLength || ShownFileName(c.Path).size() > ffMaxPathLength) return bapiNameTooLong;
  auto [it, inserted] = aliases_.try_emplace(UpperName(c.Alias), Alias{c.Alias, c.Path});
  return inserted ? bapiOk : bapiAliasExists;
}

TBapiResult TffServer::GetAliasPath(TffCommand& c) {
  auto it = aliases_.find(UpperName(c.Alias));
  if (it == aliases_.end()) return bapiNoSuchAlias;
  c.Alias = it->second.Name;
  c.Path = it->second.Path;
  return bapiOk;
}

TBapiResult TffServer::DeleteAlias(TffCommand& c) {
  return aliases_.erase(UpperName(c.Alias)) ? bapiOk : bapiNoSuchAlias;
}

TBapiResult TffServer::BuildTable(TffCommand& c) {
  if (!c.Dictionary || c.Path.empty()) return bapiInvalidParameter;
  TffTable::Create(c.Path, *c.Dictionary, c.Overwrite);
  return bapiOk;
}

TBapiResult TffServer::DeleteTable(TffCommand& c) {
  TffTable::Delete(c.Path);
  return bapiOk;
}

TBapiResult TffServer::OpenTable(TffCommand& c) {
  c.Table = TffTable::Open(c.Path, c.OpenMode, c.ShareMode);
  return bapiOk;
}

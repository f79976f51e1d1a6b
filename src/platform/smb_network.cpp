#include "platform/smb_network.h"

#include <libsmbclient.h>

#include <cstring>
#include <string>

#include "platform/shared_library.h"

namespace nura {
namespace {

// libsmbclient's functions, looked up in the library on first use; all
// null when it cannot be loaded.
struct TSmbClient {
  decltype(&smbc_new_context) newContext = nullptr;
  decltype(&smbc_free_context) freeContext = nullptr;
  decltype(&smbc_init_context) initContext = nullptr;
  decltype(&smbc_setTimeout) setTimeout = nullptr;
  decltype(&smbc_setOptionUseKerberos) useKerberos = nullptr;
  decltype(&smbc_setOptionFallbackAfterKerberos) fallbackAfterKerberos = nullptr;
  decltype(&smbc_setFunctionAuthData) setAuthData = nullptr;
  decltype(&smbc_getFunctionOpendir) opendir = nullptr;
  decltype(&smbc_getFunctionReaddir) readdir = nullptr;
  decltype(&smbc_getFunctionClosedir) closedir = nullptr;

  bool Loaded() const { return closedir != nullptr; }
};

template <typename F>
bool Bind(F& function, const char* name) {
  std::string error;
  function = reinterpret_cast<F>(SharedLibrarySymbol("libsmbclient.so.0", name, error));
  return function != nullptr;
}

const TSmbClient& SmbClient() {
  static const TSmbClient client = [] {
    TSmbClient c;
    const bool all = Bind(c.newContext, "smbc_new_context") && Bind(c.freeContext, "smbc_free_context") &&
                     Bind(c.initContext, "smbc_init_context") && Bind(c.setTimeout, "smbc_setTimeout") &&
                     Bind(c.useKerberos, "smbc_setOptionUseKerberos") &&
                     Bind(c.fallbackAfterKerberos, "smbc_setOptionFallbackAfterKerberos") &&
                     Bind(c.setAuthData, "smbc_setFunctionAuthData") &&
                     Bind(c.opendir, "smbc_getFunctionOpendir") && Bind(c.readdir, "smbc_getFunctionReaddir") &&
                     Bind(c.closedir, "smbc_getFunctionClosedir");
    return all ? c : TSmbClient{};
  }();
  return client;
}

// No user and password: anonymous, unless a Kerberos ticket serves.
void AnonymousLogin(const char*, const char*, char* workgroup, int, char* user, int userSize, char* password,
                    int passwordSize) {
  (void)workgroup;
  if (userSize > 0) user[0] = '\0';
  if (passwordSize > 0) password[0] = '\0';
}

bool IsKind(unsigned type, TSmbEntryKind kind) {
  switch (kind) {
    case TSmbEntryKind::Workgroup: return type == SMBC_WORKGROUP;
    case TSmbEntryKind::Server: return type == SMBC_SERVER;
    case TSmbEntryKind::DiskShare: return type == SMBC_FILE_SHARE;
  }
  return false;
}

// One context per listing, freed with it.
class TSmbContext {
 public:
  explicit TSmbContext(const TSmbClient& c) : c_(c) {
    SMBCCTX* made = c.newContext();
    if (!made) return;
    c.setTimeout(made, kSmbTimeout);
    c.useKerberos(made, 1);
    c.fallbackAfterKerberos(made, 1);
    c.setAuthData(made, AnonymousLogin);
    context_ = c.initContext(made);
    if (!context_) c.freeContext(made, 1);
  }
  ~TSmbContext() {
    if (context_) c_.freeContext(context_, 1);
  }
  TSmbContext(const TSmbContext&) = delete;
  TSmbContext& operator=(const TSmbContext&) = delete;
  SMBCCTX* Get() const { return context_; }

 private:
  const TSmbClient& c_;
  SMBCCTX* context_ = nullptr;
};

}  // namespace

std::vector<std::string> ListSmbEntries(const std::string& url, TSmbEntryKind kind) {
  std::vector<std::string> names;
  const TSmbClient& c = SmbClient();
  if (!c.Loaded()) return names;
  TSmbContext context(c);
  if (!context.Get()) return names;
  SMBCFILE* dir = c.opendir(context.Get())(context.Get(), url.c_str());
  if (!dir) return names;
  while (const smbc_dirent* entry = c.readdir(context.Get())(context.Get(), dir)) {
    if (IsKind(entry->smbc_type, kind) && entry->name[0] != '\0') names.emplace_back(entry->name);
  }
  c.closedir(context.Get())(context.Get(), dir);
  return names;
}

}  // namespace nura

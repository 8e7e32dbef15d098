#include "backend/SupabaseManager.h"

#include "backend/QtHttpTransport.h"

namespace varnel {

SupabaseManager::SupabaseManager() : m_client(BackendConfig::fromBuild(), std::make_shared<QtHttpTransport>()) {}

SupabaseManager &SupabaseManager::shared() {
  static SupabaseManager instance;
  return instance;
}

} // namespace varnel

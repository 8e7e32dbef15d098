#pragma once
// Owner of the process-wide BackendClient; everybody who talks to the
// back-end takes its client from here.

#include "backend/BackendClient.h"

namespace varnel {

class SupabaseManager {
public:
  static SupabaseManager &shared();
  BackendClient &client() { return m_client; }

  SupabaseManager(const SupabaseManager &) = delete;
  SupabaseManager &operator=(const SupabaseManager &) = delete;

private:
  SupabaseManager();
  BackendClient m_client;
};

} // namespace varnel

#pragma once
// The texts that tell one catalog's screens from the other's.

#include <QString>

namespace varnel {

struct CatalogTexts {
  QString listTitle;  // the list's title
  QString newTitle;   // the new-entry buttons, and the form's title while the description is empty
  QString editTitle;  // the form's title otherwise
  QString alertTitle; // the archive confirmation
  QString alertMessage;

  static CatalogTexts classificacoes();
  static CatalogTexts objetivos();
};

} // namespace varnel

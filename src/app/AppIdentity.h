#pragma once
// Names that identify the program to the desktop and its services.

#include <QString>

namespace varnel {

// Reverse-DNS identifier of the application.
inline QString applicationId() { return QStringLiteral("app.varnel.Varnel"); }
inline QString applicationDisplayName() { return QStringLiteral("Varnel"); }

} // namespace varnel

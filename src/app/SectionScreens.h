#pragma once
// Builds the screen of one section of the signed-in shell.

#include "app/MainTab.h"

#include <QUuid>

class QWidget;

namespace varnel {

class SessionStore;

// A new screen for tab. For "Atendimentos", refreshToken is the identity of
// the visit list: a new token means a new list that loads from the start.
QWidget *createSectionScreen(MainTab tab, SessionStore &sessionStore, const QUuid &refreshToken, QWidget *parent);

// The note shown in place of a section whose screen is not part of the program yet.
QWidget *createUnavailableSection(MainTab tab, QWidget *parent);

} // namespace varnel

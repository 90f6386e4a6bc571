#pragma once

#include <QString>

class QWidget;

// Opens the help window owned by `owner` at `anchor` of TSHelp.chm, the help
// file beside the executable; `anchor` names the page and topic inside the
// file, as in "\TSHelp.htm#b". A window that already has help open gets the
// new topic in the same help window, brought to the front. If the help viewer
// cannot be started at all (chmlib or the help reader is missing),
// `failureMessage` is shown instead; a missing or damaged help file, page or
// topic is reported by the help window itself. Never throws.
void ShowHelpTopic(QWidget* owner, const QString& anchor, const QString& failureMessage);

// Where TSHelp.chm is looked up. Empty, the default, means the executable's
// directory; tests point it at a directory of their own.
void setHelpDirectory(const QString& directory);
QString helpDirectory();

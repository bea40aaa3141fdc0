// Opening web addresses in the desktop's browser.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace zelvan {

// Hands `url` to whatever opens links: the desktop's handler for its scheme, unless an opener
// was installed (the screenshot tour installs one that opens nothing). True when accepted.
bool openUrl(const QUrl& url);
using LinkOpener = std::function<bool(const QUrl&)>;
// Installs `opener` (empty: the desktop again) and returns the previous one.
LinkOpener setLinkOpener(LinkOpener opener);

// Opens an absolute web address (openUrl); false for anything else or when it was refused.
bool openLink(const QString& address);
// openLink, and when the desktop cannot open the address, shows it in a box over `owner` from
// which it can be copied (caption `caption`), so that the choice never ends in nothing.
void openLinkOrShow(QWidget* owner, const QString& caption, const QString& address);

}  // namespace zelvan

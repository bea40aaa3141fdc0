#include "ui/links.h"

#include <QDesktopServices>
#include <QUrl>

namespace zelvan {

bool openLink(const QString& address) {
    QUrl url(address.trimmed(), QUrl::StrictMode);
    // Only absolute addresses: a bare word would be taken for a local file by the desktop.
    if (!url.isValid() || url.isRelative()) return false;
    return QDesktopServices::openUrl(url);
}

}  // namespace zelvan

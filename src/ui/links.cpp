#include "ui/links.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

#include "ui/messages.h"

namespace zelvan {
namespace {

LinkOpener& installedOpener() {
    static LinkOpener opener;
    return opener;
}

}  // namespace

bool openUrl(const QUrl& url) {
    const LinkOpener& opener = installedOpener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

LinkOpener setLinkOpener(LinkOpener opener) {
    return std::exchange(installedOpener(), std::move(opener));
}

bool openLink(const QString& address) {
    QUrl url(address.trimmed(), QUrl::StrictMode);
    // Only absolute addresses: a bare word would be taken for a local file by the desktop.
    if (!url.isValid() || url.isRelative()) return false;
    return openUrl(url);
}

void openLinkOrShow(QWidget* owner, const QString& caption, const QString& address) {
    if (!openLink(address)) showCopyable(owner, caption, address);
}

}  // namespace zelvan

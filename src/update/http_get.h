// The HTTP transfer itself, done with libcurl. Only zelvan-fetch links it, so that no other
// program loads libcurl and the libraries it brings (TLS, Kerberos, LDAP).
#pragma once

#include "update/download.h"

namespace zelvan {

// GETs `url` (http or https only) into `localFile`, replacing it, and reports through
// `listener` exactly as `downloadToFile` promises: 0 after `downloadFinished`, -1 after
// `reportError`.
int fetchToFile(DownloadListener& listener, const std::string& url,
                const std::filesystem::path& localFile, const DownloadLimits& limits);

}  // namespace zelvan

#include "link/link_log.h"

Q_LOGGING_CATEGORY(lcLink, "kv.link")
Q_LOGGING_CATEGORY(lcLinkHex, "kv.link.hex", QtWarningMsg)

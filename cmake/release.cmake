# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The release as the changelog states it, and what a distributor sets.
#
# CHANGELOG is in Debian's changelog format, newest entry first. Its version
# must be the project's: a release without its entry stops the configure step
# instead of shipping a package whose changelog and software-centre release
# name another version.

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG)
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG kv_changelog_entry LIMIT_COUNT 1)
if(NOT kv_changelog_entry MATCHES "^kv-ruzevuv \\(([^)]+)\\) ")
  message(FATAL_ERROR "CHANGELOG: the first line is not an entry \"kv-ruzevuv (VERSION) ...\"")
endif()
set(KV_RELEASE_VERSION ${CMAKE_MATCH_1})
if(NOT KV_RELEASE_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG's newest entry is ${KV_RELEASE_VERSION}, the project is "
                      "${PROJECT_VERSION}: add the release's entry to CHANGELOG")
endif()
# The entry's trailer: " -- NAME <MAIL>  Fri, 11 Dec 2026 16:00:00 +0000".
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG kv_changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT kv_changelog_trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "CHANGELOG: no date in the newest entry's trailer: ${kv_changelog_trailer}")
endif()
set(kv_day ${CMAKE_MATCH_1})
set(kv_year ${CMAKE_MATCH_3})
set(kv_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND kv_months ${CMAKE_MATCH_2} kv_month)
math(EXPR kv_month "${kv_month} + 1")
if(kv_month LESS 1)
  message(FATAL_ERROR "CHANGELOG: unknown month in ${kv_changelog_trailer}")
endif()
string(LENGTH "${kv_day}" kv_len)
if(kv_len EQUAL 1)
  set(kv_day 0${kv_day})
endif()
if(kv_month LESS 10)
  set(kv_month 0${kv_month})
endif()
set(KV_RELEASE_DATE ${kv_year}-${kv_month}-${kv_day})

# The software centres' id of the program (reverse domain name).
set(KV_APPSTREAM_ID org.kvruzevuv.kv_ruzevuv)

set(KV_MAINTAINER "The Kv Ruzevuv developers <kv-ruzevuv@example.org>" CACHE STRING
    "The package's maintainer, \"NAME <MAIL>\": whoever distributes the package")
set(KV_SCREENSHOT_URL "https://kv-ruzevuv.example.org/screenshots" CACHE STRING
    "The web folder that serves docs/screenshots/*.png, for the software centres")

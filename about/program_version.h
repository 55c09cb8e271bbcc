// about/program_version.h: what this program's version record says. The compiler encodes it into
// the section kVersionSection of the quorvel executable (about/embedded_version_record.cpp), and
// the about box reads it back from that file each time it opens.
#pragma once

#include "about/version_record.h"

namespace quorvel::about {

constexpr VersionRecord programVersionRecord()
{
    return VersionRecord{
        .fixed = {.fileVersion = {{0, 9, 9, 6}},
                  .productVersion = {{0, 9, 9, 6}},
                  .flags = kFlagPrerelease,
                  .os = kOsWindows32,
                  .fileType = kFileTypeApplication},
        .translations = {{.language = 0x0409, .codePage = 0x04E4}},  // U.S. English, code page 1252
        .blocks = {{.name = "040904E4",
                    .values = {{"CompanyName", "Quorvel developers"},
                               {"FileDescription", "Quorvel"},
                               {"FileVersion", "0.9.9.6"},
                               {"InternalName", "QRVL"},
                               {"LegalCopyright", ""},
                               {"LegalTrademarks", ""},
                               {"OriginalFilename", "qrvl.exe"},
                               {"ProductName", "Quorvel"},
                               {"ProductVersion", "1.0.0.0"},
                               {"Comments", ""}}}},
    };
}

}  // namespace quorvel::about

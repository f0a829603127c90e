// SPDX-License-Identifier: MIT
#include "journal/Journal.h"

const char* AttemptFlagKeyword(unsigned bit)
{
    switch (bit) {
    case ChangedAfterCollection: return "changed_after_collection";
    case KeyMismatch: return "key_mismatch";
    case Unfinished: return "unfinished";
    case ScoreOnly: return "score_only";
    case VersionMismatch: return "version_mismatch";
    default: return "";
    }
}

// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the class list reader: a list comes from anyone's
// editor. What it accepts is a list of names the journal can use as they
// are: none empty, none with spaces around or control characters, none
// twice.
#include "engine/Errors.h"
#include "journal/ClassList.h"
#include "journal/Journal.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<QString> names;
    try {
        names = ParseClassList(bytes, "list.txt");
    } catch (const EError& e) {
        if (std::string(e.what()).rfind("list.txt: ", 0) != 0)
            __builtin_trap();
        return 0;
    } catch (const std::exception&) {
        __builtin_trap();
    }
    std::set<QString> keys;
    if (names.empty())
        __builtin_trap();
    for (const QString& name : names) {
        if (name.isEmpty() || name != name.simplified() || name.size() > 200 || !keys.insert(StudentKey(name)).second)
            __builtin_trap();
        for (const QChar c : name)
            if (c.category() == QChar::Other_Control)
                __builtin_trap();
    }
    return 0;
}

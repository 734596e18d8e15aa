// Names of table rows in parameterised tests: the row's own label, each character but letters and digits made "_",
// so that GoogleTest and CTest list a case by what it tests.
#pragma once

#include <cctype>
#include <string>

namespace kvltest {

inline std::string RowName(const std::string& label) {
    std::string name = label;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

}  // namespace kvltest

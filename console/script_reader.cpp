#include "console/script_reader.h"

#include <limits>

bool read_script_line(std::istream& in, char (&line)[line_size])
{
    if (!in.good())
        return false;
    in.getline(line, line_size);
    // getline fails without reaching the end of the file only when the
    // buffer filled before a line feed came.
    if (in.fail() && !in.eof()) {
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return true;
}

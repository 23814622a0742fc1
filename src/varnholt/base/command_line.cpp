#include "varnholt/base/command_line.h"

#include "varnholt/base/name_index.h"

namespace varnholt {

namespace {
bool starts_with(const char* word, char first)
{
    return word && word[0] == first;
}
}

CommandLine group_command_line(int count, const char* const* words, int from)
{
    CommandLine line;
    for (int i = from; i < count;) {
        if (!starts_with(words[i], '+')) {
            if (words[i])
                line.stray.push_back(i);
            ++i;
            continue;
        }
        CommandGroup group {i, 1};
        while (i + group.count < count && !starts_with(words[i + group.count], '+')
               && !starts_with(words[i + group.count], '-'))
            ++group.count;
        line.groups.push_back(group);
        i += group.count;
    }
    return line;
}

bool is_set_group(const char* const* words, const CommandGroup& group)
{
    return same_name(words[group.first] + 1, name_key("set"));
}

}  // namespace varnholt

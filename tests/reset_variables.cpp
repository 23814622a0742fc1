#include "tests/reset_variables.h"

#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/variables/variable_commands.h"

using namespace varnholt;

bool reset_variables()
{
    while (!created_variables().empty()) {
        const std::size_t before = created_variables().size();
        const char* words[] = {"del", created_variables().front()->name()};
        ArgList del(2, words);
        console.execute(del, false);
        if (created_variables().size() != before - 1)
            return false;
    }
    console.execute("reset_all", false);
    static_cast<ReadOnlyVariable<Timer>*>(VariableList::find("eng_time"))->value = Timer(false);
    console.clear_history();
    return true;
}

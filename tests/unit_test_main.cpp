// The unit tests' main: after every test, the globals a test may change go
// back to what a fresh process has, so that the tests pass in any order
// (run them with --gtest_shuffle). Tests therefore change globals freely and
// restore nothing themselves.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "varnholt/base/hooks.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration.h"
#include "varnholt/engine/engine.h"
#include "varnholt/engine/host.h"
#include "tests/reset_variables.h"
#include "varnholt/variables/variable.h"
#include "varnholt/video/video.h"

using namespace varnholt;

namespace {
void restore_globals()
{
    set_hooks(Hooks {});
    vid_shutdown();
    client_shutdown();
    if (host_initted())
        host_close();
    // Read-only strings have no default: the renderer's are empty until
    // video is up.
    for (auto* renderer : {&gl_vendor, &gl_renderer, &gl_extensions, &gl_version})
        renderer->value.clear();
    common_init(nullptr);
    console.set_startup_complete(false);
    if (!reset_variables()) {
        std::fputs("a variable made by set could not be deleted\n", stderr);
        std::abort();
    }
    // reset_all leaves constants alone.
    for (BaseVariable* v = VariableList::head().next_variable(); v; v = v->next_variable()) {
        if (auto* constant = dynamic_cast<ConstVariable<std::string>*>(v))
            constant->set_value(constant->default_value);
    }
    // A fresh ring: an empty history and no stream a test left registered.
    console.stream_buffer().set_history_size(console.stream_buffer().history_size());
}

class RestoreGlobals : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { restore_globals(); }
};
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    init_console();
    ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreGlobals);
    return RUN_ALL_TESTS();
}

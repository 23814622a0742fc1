# cmake -DBUILD=<build dir> -DWORK=<dir> -DCXX=<compiler> -P installed.cmake
# Installs the build into a fresh prefix, then builds a one-command game
# against it with nothing but pkg-config and the installed files, and runs
# it: its command follows the core's, after ls_cmds, and its variable keeps
# to its range and reports its changes.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix OUTPUT_QUIET
                COMMAND_ERROR_IS_FATAL ANY)
file(GLOB pc_file ${WORK}/prefix/lib*/pkgconfig/varnholt.pc ${WORK}/prefix/lib*/*/pkgconfig/varnholt.pc)
file(GLOB package ${WORK}/prefix/lib*/cmake/Varnholt/VarnholtConfig.cmake
     ${WORK}/prefix/lib*/*/cmake/Varnholt/VarnholtConfig.cmake)
if(NOT pc_file OR NOT package)
  message(FATAL_ERROR "varnholt.pc or VarnholtConfig.cmake not installed under ${WORK}/prefix")
endif()
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs varnholt OUTPUT_VARIABLE flags
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(flags UNIX_COMMAND "${flags}")
file(WRITE ${WORK}/game.cpp [[
#include <varnholt/varnholt.h>

namespace {
void say_command(varnholt::ArgList&)
{
}
varnholt::Command say("say", say_command, "Says a line to every player", "text");

void volume_changed(varnholt::BaseVariable& volume)
{
    volume.print(varnholt::console << "volume now ") << std::endl;
}
varnholt::Variable<int> volume("volume", 5, varnholt::saved, "Loudness of the sounds",
                               varnholt::Range {0, 10, varnholt::clamped}, volume_changed);
}

int main(int argc, char** argv)
{
    return varnholt::run(argc, argv);
}
]])
execute_process(COMMAND ${CXX} -std=c++17 game.cpp ${flags} -o game WORKING_DIRECTORY ${WORK}
                COMMAND_ERROR_IS_FATAL ANY)
file(MAKE_DIRECTORY ${WORK}/data)
file(WRITE ${WORK}/typed "ls_cmds\nvolume 20\nvolume 10\nquit\n")
execute_process(COMMAND ${WORK}/game INPUT_FILE ${WORK}/typed OUTPUT_VARIABLE output WORKING_DIRECTORY ${WORK}
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT output MATCHES "\nls_cmds\nsay\n[0-9]+ total commands\n")
  message(FATAL_ERROR "The game's command does not follow the core's:\n${output}")
endif()
if(NOT output MATCHES "] volume must be between 0 and 10, 10 stored instead of 20\nvolume now 10\n] ] ")
  message(FATAL_ERROR "The game's variable does not keep to its range:\n${output}")
endif()

# cmake -DBUILD=<build dir> -DSOURCE=<source dir> -DWORK=<dir> -DCXX=<compiler> -P installed.cmake
# Installs the build into a fresh prefix and builds the example game against
# it twice, with nothing but the installed files: in WORK/find_package
# through its own CMakeLists.txt (find_package(Varnholt)), and in
# WORK/pkg-config with the compiler line of its README. The second build
# runs here: the game's commands follow the core's, after ls_cmds.
# example_test.cpp plays the first.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix OUTPUT_QUIET
                COMMAND_ERROR_IS_FATAL ANY)
file(GLOB pc_file ${WORK}/prefix/lib*/pkgconfig/varnholt.pc ${WORK}/prefix/lib*/*/pkgconfig/varnholt.pc)
file(GLOB package ${WORK}/prefix/lib*/cmake/Varnholt/VarnholtConfig.cmake
     ${WORK}/prefix/lib*/*/cmake/Varnholt/VarnholtConfig.cmake)
if(NOT pc_file OR NOT package)
  message(FATAL_ERROR "varnholt.pc or VarnholtConfig.cmake not installed under ${WORK}/prefix")
endif()

set(example ${SOURCE}/examples/guess)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${example} -B ${WORK}/find_package -DCMAKE_PREFIX_PATH=${WORK}/prefix
                        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_CXX_FLAGS=-Werror OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/find_package OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs varnholt OUTPUT_VARIABLE flags
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(flags UNIX_COMMAND "${flags}")
file(MAKE_DIRECTORY ${WORK}/pkg-config/data)
execute_process(COMMAND ${CXX} -std=c++17 -O2 -Wall -Wextra -Werror ${example}/guess.cpp ${flags} -o guess
                WORKING_DIRECTORY ${WORK}/pkg-config COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${WORK}/pkg-config/typed "ls_cmds\nquit\n")
execute_process(COMMAND ${WORK}/pkg-config/guess INPUT_FILE ${WORK}/pkg-config/typed OUTPUT_VARIABLE output
                WORKING_DIRECTORY ${WORK}/pkg-config COMMAND_ERROR_IS_FATAL ANY)
if(NOT output MATCHES "\nls_cmds\nguess_new_round\nguess_status\n[0-9]+ total commands\n")
  message(FATAL_ERROR "The game's commands do not follow the core's:\n${output}")
endif()

/*
 * The whole public interface of the Varnholt engine core, for a game or a
 * program built on it:
 *
 *     #include <varnholt/varnholt.h>
 *
 *     namespace {
 *     varnholt::Variable<int> sv_maxplayers("sv_maxplayers", 8, varnholt::saved, "Players the server admits",
 *                                           varnholt::Range {1, 64});
 *
 *     void say_command(varnholt::ArgList& args)
 *     {
 *         varnholt::console << (args.argc > 1 ? args.arg(1) : "") << std::endl;
 *     }
 *     varnholt::Command say("say", say_command, "Says a line to every player", "text");
 *     }
 *
 *     int main(int argc, char** argv) { return varnholt::run(argc, argv); }
 *
 * What each part owns and when it may be used is said in its own header:
 * console/function.h (commands and the order of registration),
 * variables/variable.h, engine/engine.h (the lifecycle), base/hooks.h (the
 * game's and the platform's code), process/process.h (the standard
 * process), vfs/ (data files), net/ (the socket and datagrams).
 */
#pragma once

#include "varnholt/base/clock.h"
#include "varnholt/base/hooks.h"
#include "varnholt/base/limits.h"
#include "varnholt/base/stop_request.h"
#include "varnholt/base/timer.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration.h"
#include "varnholt/engine/config_writer.h"
#include "varnholt/engine/engine.h"
#include "varnholt/engine/host.h"
#include "varnholt/math/vector3.h"
#include "varnholt/net/display_text.h"
#include "varnholt/net/net.h"
#include "varnholt/net/packet.h"
#include "varnholt/net/socket.h"
#include "varnholt/process/process.h"
#include "varnholt/tokenizer/simple_tokenizer.h"
#include "varnholt/variables/variable.h"
#include "varnholt/variables/variable_commands.h"
#include "varnholt/vfs/save_file.h"
#include "varnholt/vfs/vfs.h"
#include "varnholt/vfs/vfs_stream.h"
#include "varnholt/video/video.h"

#include "library_fixture.h"

#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"
#include "support/swf_writer.h"

namespace velmora::test {

std::vector<std::string> runScriptMessages(const Avm1Assembler& code, uint8_t version) {
    SwfWriter swf(version);
    swf.doAction(code.doActionBody()).showFrame();
    const auto bytes = swf.bytes();
    swf::MovieInstance movie(swf::parseMovie(bytes), {});
    return {movie.messages().begin(), movie.messages().end()};
}

std::vector<std::string> runScript(const Avm1Assembler& code, uint8_t version) {
    std::vector<std::string> out;
    for (const std::string& m : runScriptMessages(code, version)) {
        if (m.rfind("trace: ", 0) == 0) out.push_back(m.substr(7));
    }
    return out;
}

}  // namespace velmora::test

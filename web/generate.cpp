// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the site at build time from one view of the design, rendered into
// the templates of this folder, so the window shows before the WebAssembly
// arrives and nothing of the design is written twice:
//   generate site TEMPLATE_DIR SITE_DIR DESIGN_JSON FILE_LIST
//   generate worker TEMPLATE_DIR SITE_DIR FILE_LIST [FILE...]
// The first writes the page, its style, the manifest, its script, the icons
// and the host's headers, the view as DESIGN_JSON (the page's tests read it too),
// and the files it wrote for the page to FILE_LIST, one a line. The second,
// once the rest is built, writes the service worker that keeps those files
// and the others named.
#include <emscripten.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "design/icon.h"
#include "web/png.h"
#include "web/render.h"
#include "web/view.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

// The template `name`.in of `dir` rendered with the view.
std::string Render(const std::string& dir, const std::string& name, const Json& view) {
    const web::Escape escape = name.ends_with(".html")          ? web::Escape::Html
                               : name.ends_with(".webmanifest") ? web::Escape::Json
                                                                : web::Escape::None;
    try {
        return web::Render(Read(dir + "/" + name + ".in"), view, escape);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(name + ".in: " + e.what());
    }
}

// clang-format off
// The SHA-256 of bytes in hex, by Node's own crypto (this runs under Node).
EM_JS(void, JsSha256, (const char* bytes, int size, char* out), {
    const hash = require('crypto').createHash('sha256').update(HEAPU8.subarray(bytes, bytes + size));
    stringToUTF8(hash.digest('hex'), out, 65);
});
// clang-format on
std::string Sha256(const std::string& bytes) {
    char hex[65] = {};
    JsSha256(bytes.data(), int(bytes.size()), hex);
    return hex;
}

// The service worker: the start of each file's SHA-256 (64 bits tell one
// build's file from another's) and a cache version made from all of them.
// The page is kept under the folder's own address, as it is first loaded.
void WriteWorker(const std::string& templates, const std::string& site,
                 const std::vector<std::string>& files) {
    Json list = Json::array();
    std::string digests;
    for (const std::string& file : files) {
        const std::string digest = Sha256(Read(site + "/" + file));
        digests += file + " " + digest + "\n";
        list.push_back(
            {{"url", file == "index.html" ? "./" : file}, {"digest", digest.substr(0, 16)}});
    }
    const Json view{{"version", Sha256(digests).substr(0, 16)}, {"files", list}};
    Write(site + "/sw.js", Render(templates, "sw.js", view));
}

void WriteSite(const std::string& templates, const std::string& site, const std::string& viewPath,
               const std::string& listPath) {
    const Json view = web::View();
    std::string list;
    const auto page = [&](const std::string& name, const std::string& content) {
        Write(site + "/" + name, content);
        list += name + '\n';
    };
    for (const char* name : {"index.html", "style.css", "manifest.webmanifest", "app.js"})
        page(name, Render(templates, name, view));
    const design::Image drawing = design::IconDrawing();
    for (const Json& icon : view["icons"]["sizes"]) {
        const int size = icon["size"];
        if (drawing.width == 0 || drawing.width != drawing.height || size % drawing.width != 0)
            throw std::runtime_error("icon sizes must be whole multiples of the drawing");
        const std::string png = web::EncodePng(web::Enlarged(drawing, size / drawing.width));
        if (png.empty()) throw std::runtime_error("cannot encode the icon");
        page("icon-" + std::to_string(size) + ".png", png);
    }
    Write(site + "/_headers", Render(templates, "_headers", view));  // for the host, not the page
    Write(viewPath, view.dump(1) + '\n');
    Write(listPath, list);
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 5 && args[0] == "site") {
            WriteSite(args[1], args[2], args[3], args[4]);
            return 0;
        }
        if (args.size() >= 4 && args[0] == "worker") {
            std::vector<std::string> files;
            std::istringstream listed(Read(args[3]));
            for (std::string file; std::getline(listed, file);) files.push_back(file);
            files.insert(files.end(), args.begin() + 4, args.end());
            WriteWorker(args[1], args[2], files);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "generate: " << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: generate site TEMPLATE_DIR SITE_DIR DESIGN_JSON FILE_LIST\n"
                 "       generate worker TEMPLATE_DIR SITE_DIR FILE_LIST [FILE...]\n";
    return 2;
}

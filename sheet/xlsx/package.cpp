#include "sheet/xlsx/package.h"

#include "sheet/xlsx/xml.h"

#include <algorithm>

namespace orvandel::sheet::xlsx {
namespace {

// More relationships or sheets than any workbook has; later ones are ignored.
constexpr std::size_t max_entries = 4096;

struct relationship {
    std::string id, type, target;
};

class relationships_handler final : public xml_handler {
public:
    void start(std::string_view name, const char** attributes) override {
        if (name != "Relationship" || list.size() >= max_entries) {
            return;
        }
        const auto mode = attribute(attributes, "TargetMode");
        if (mode && *mode == "External") {
            return;
        }
        list.push_back({std::string(attribute(attributes, "Id").value_or("")),
                        std::string(attribute(attributes, "Type").value_or("")),
                        std::string(attribute(attributes, "Target").value_or(""))});
    }
    void end(std::string_view) override {}

    // The target of the first relationship whose type ends in "/kind".
    [[nodiscard]] std::optional<std::string> of_type(std::string_view kind) const {
        for (const auto& r : list) {
            if (type_is(r, kind)) {
                return r.target;
            }
        }
        return std::nullopt;
    }

    static bool type_is(const relationship& r, std::string_view kind) {
        const std::size_t slash = r.type.rfind('/');
        return slash != std::string::npos && std::string_view(r.type).substr(slash + 1) == kind;
    }

    std::vector<relationship> list;
};

struct listed_sheet {
    std::string name, relationship;
};

class workbook_handler final : public xml_handler {
public:
    void start(std::string_view name, const char** attributes) override {
        if (name == "workbookPr") {
            const auto value = attribute(attributes, "date1904");
            date1904 = value && (*value == "1" || *value == "true");
        } else if (name == "sheet" && sheets.size() < max_entries) {
            sheets.push_back({std::string(attribute(attributes, "name").value_or("")),
                              std::string(attribute(attributes, "id", true).value_or(""))});
        }
    }
    void end(std::string_view) override {}

    bool date1904 = false;
    std::vector<listed_sheet> sheets;
};

std::string relationships_of(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? "" : part.substr(0, slash + 1);
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

} // namespace

std::string resolve(std::string_view source, std::string_view target) {
    std::string path;
    if (target.starts_with('/')) {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = source.rfind('/');
        path = slash == std::string_view::npos ? "" : std::string(source.substr(0, slash + 1));
    }
    while (!target.empty()) {
        const std::size_t slash = target.find('/');
        const std::string_view segment = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view() : target.substr(slash + 1);
        if (segment == "..") {
            const std::size_t end = path.empty() ? 0 : path.rfind('/', path.size() - 2);
            path.resize(end == std::string::npos || path.size() < 2 ? 0 : end + 1);
        } else if (segment != "." && !segment.empty()) {
            path += segment;
            if (slash != std::string_view::npos) {
                path += '/';
            }
        }
    }
    return path;
}

calc::result<package, problem> read_package(archive& zip) {
    package book;
    book.workbook = "xl/workbook.xml";
    if (zip.has("_rels/.rels")) {
        relationships_handler root;
        if (auto bad = zip.parse("_rels/.rels", root)) {
            return std::move(*bad);
        }
        if (const auto target = root.of_type("officeDocument")) {
            book.workbook = resolve("", *target);
        }
    }
    workbook_handler workbook;
    if (auto bad = zip.parse(book.workbook, workbook)) {
        return std::move(*bad);
    }
    relationships_handler relations;
    if (auto bad = zip.parse(relationships_of(book.workbook), relations)) {
        return std::move(*bad);
    }
    book.date1904 = workbook.date1904;
    for (auto& listed : workbook.sheets) {
        const auto relation =
            std::find_if(relations.list.begin(), relations.list.end(),
                         [&](const relationship& r) { return r.id == listed.relationship; });
        const bool readable = relation != relations.list.end() &&
                              relationships_handler::type_is(*relation, "worksheet");
        book.sheets.push_back(
            {std::move(listed.name), readable ? resolve(book.workbook, relation->target) : ""});
    }
    if (const auto target = relations.of_type("styles")) {
        book.styles = resolve(book.workbook, *target);
    }
    if (const auto target = relations.of_type("sharedStrings")) {
        book.shared_strings = resolve(book.workbook, *target);
    }
    return book;
}

calc::result<std::string, problem> worksheet_part(const package& book, const std::string& wanted) {
    std::string names;
    for (const auto& entry : book.sheets) {
        if (entry.part.empty()) {
            continue; // a chart sheet, or a sheet the package lost
        }
        if (wanted.empty() || entry.name == wanted) {
            return entry.part;
        }
        names += (names.empty() ? "" : ", ") + entry.name;
    }
    if (names.empty()) {
        return fail(xlsx_read_error::no_worksheet);
    }
    return fail(xlsx_read_error::no_such_sheet, names);
}

} // namespace orvandel::sheet::xlsx

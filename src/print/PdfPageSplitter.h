#pragma once
// Splits a PDF into standalone one-page PDFs. A batch of waybills is drawn as one document, so
// that its fonts are embedded once, and each page then goes to the printer as a job of its own.
// Each page's document holds the objects that page reaches, copied byte for byte (font and
// content streams are never decoded), renumbered, under a catalog and page tree of its own.
// Reads documents with a classic cross-reference table, as Qt's PDF writer makes them.

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace dorvane {

class PdfPageSplitter {
public:
    PdfPageSplitter();
    ~PdfPageSplitter();

    // Takes the whole document; false, with error(), when it is not a PDF this can read.
    bool read(std::string document);
    const std::string& error() const { return error_; }

    std::size_t pageCount() const { return pages_.size(); }
    // Page index (from 0) as a document of its own; empty, with error(), when an object it
    // reaches is damaged.
    std::string page(std::size_t index);
    // The same into out, whose storage is kept from one page to the next; false, with error().
    bool page(std::size_t index, std::string& out);

    struct Token;
    struct Object;

private:
    bool fail(std::string message);
    const Object* object(int number);
    bool collectPages(int node, int depth);

    std::string document_;
    std::string version_; // the header line, "%PDF-1.4"
    std::unordered_map<int, std::size_t> offsets_;
    std::unordered_map<int, std::unique_ptr<Object>> objects_; // parsed when first reached
    std::vector<int> pages_;                                   // page objects, in order
    std::vector<int> pageTree_;                                // every node of the page tree, pages too
    std::unordered_set<int> treeNodes_;                        // the same, to look up
    std::unordered_map<int, int> parents_;
    int root_ = 0;
    int info_ = 0;
    std::string error_;
};

} // namespace dorvane

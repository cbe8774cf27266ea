#pragma once
// The host's metadata document: an XML document whose root element is
// "metadata", reached by components through IMetadataValues (element texts)
// and IMetadataXml (attributes, update flag, whole-document operations).
//
// Paths are slash-separated element names below the root element
// ("dataIdInfo/idPurp"). Reading follows every matching child at each step;
// writing follows the first and creates what is missing. A step may name the
// n-th child of its name, counted from 1 ("searchKeys[2]/keyword[3]"):
// reading then follows that one only, and writing creates it and those
// before it when they are missing. IMetadataElements counts, removes and
// reorders repeated elements, for pages that edit several. A step names an
// element in no namespace: elements in a namespace, prefixed or under a
// default namespace, are another vocabulary's and no path reaches them. The
// root element must be "metadata" in no namespace; other documents are
// refused. Whatever the pages do not know is kept as it was written.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tidewise/com/object.h"
#include "tidewise/host/interfaces.h"
#include "tidewise/platform.h"
#include "tidewise/xml/xml.h"

namespace tw::host {

class XmlMetadataDocument final
    : public com::Object<XmlMetadataDocument, IMetadataValues, IMetadataXml, IMetadataElements> {
 public:
  // An empty document: the root element "metadata" alone.
  XmlMetadataDocument();
  ~XmlMetadataDocument() override;

  // A document with the same content. The two share it until either is
  // written to, so that a copy costs nothing until then; neither's writes
  // ever reach the other.
  com::ComPtr<XmlMetadataDocument> copy() const;
  // Takes the content of `other` (shared, as by copy()), as a load would:
  // modified() and update_flag() start again.
  void take_content(const XmlMetadataDocument& other);

  // A missing file gives an empty document. Throws com::Error on a file that
  // cannot be read or parsed; the document then stays as it was.
  // `each_piece` sees the file's bytes as they are read (see xml::parse_file).
  void load_file(const std::filesystem::path& file,
                 const std::function<void(std::string_view)>& each_piece = {});
  // Throws com::Error (E_INVALIDARG), also for a root element other than
  // "metadata" in no namespace; the document then stays as it was.
  void load_text(std::string_view xml);
  // The document as text, in the encoding its XML declaration names.
  std::string xml() const;
  // The same text, handed to `sink` piece by piece as it is made.
  void write_xml(const std::function<void(std::string_view)>& sink) const;
  // Lays the content out one element a line (layout.h), as an item is
  // saved. Only white space between elements changes, which no path reads:
  // modified() stays as it was. A shared content is copied only when its
  // layout changes.
  void lay_out();
  // Writes the document to `file` as write_file_atomically does with
  // `options`, handing `each_piece` every piece written as well. A document
  // in an encoding other than UTF-8 is read back from the new file before
  // it takes the old one's place: a file that would not read back as this
  // document is refused (E_FAIL) and nothing is replaced.
  platform::FileStamp write_file(
      const std::filesystem::path& file, platform::WriteOptions options = {},
      const std::function<void(std::string_view)>& each_piece = {}) const;
  // The document's tree, for reading alone.
  const xmlDoc& doc() const { return *doc_; }
  // Whether WriteValue, WriteAttribute or LoadXmlText wrote to the document
  // since construction or the last load, even if the text stayed the same:
  // a page that writes is saved.
  bool modified() const { return modified_; }
  // Set by SetUpdateFlag(True) since construction or the last load.
  bool update_flag() const { return update_flag_; }
  // The values the host gives the parameters of the stylesheets that
  // TransformToFile runs (the standard an export writes, say): the
  // component's own steps stay as they are.
  xml::StylesheetParameters& stylesheet_parameters() { return stylesheet_parameters_; }
  // Names the content: a number no other content of this process had. Every
  // load, LoadXmlText, arrangement and every write that changes what the file
  // would say (a text or attribute, an element created on the way) gives a
  // new one; a write of what is there already does not, nor does lay_out(),
  // which changes only white space between elements. A copy, and a document
  // that took another's content, carry the revision of the content they
  // share. Equal revisions mean equal content; content written back to what
  // it was still has a new revision.
  std::uint64_t revision() const { return revision_; }

  // Keeps what it takes to give the document back what it has now, should a
  // member that writes to it fail: the texts and attributes it replaces and
  // the elements it creates, not a copy of the whole content. A change that
  // moves or replaces elements wholesale (an arrangement, LoadXmlText, a
  // load) keeps the content as it was instead. Ends with keep_changes() or
  // take_back_changes(); the revision, modified() and update_flag() come back
  // too. Records nest: a record started while another is open ends first;
  // kept, its changes become the outer record's, taken back, only its own go.
  void start_undo();
  bool undoing() const { return !undos_.empty(); }
  void keep_changes();
  void take_back_changes();
  // The paths of what the innermost record's changes wrote, as a review of
  // the document before and after them spells them ("a/b[2]", "a/b@c"); some
  // may name what was written and written back. Nothing when the record had
  // to keep the content whole: then compare with recorded_before().
  std::optional<std::vector<std::string>> recorded_paths() const;
  // Ends the innermost record, its changes kept, and gives the content as
  // it was when the record started.
  com::ComPtr<XmlMetadataDocument> keep_changes_giving_before();

  // IMetadataValues
  HRESULT ReadValues(const std::string& path, Variant* values) noexcept override;
  HRESULT WriteValue(const std::string& path, const Variant& value) noexcept override;

  // IMetadataXml
  HRESULT WriteAttribute(const std::string& path, const std::string& name, const Variant& value,
                         std::int32_t mode) noexcept override;
  HRESULT ReadAttribute(const std::string& path, const std::string& name,
                        Variant* values) noexcept override;
  HRESULT SetUpdateFlag(VARIANT_BOOL updated) noexcept override;
  HRESULT LoadXmlText(const std::string& xml) noexcept override;
  // `parameters` and `flag` are accepted and have no effect; the stylesheet
  // gets the host's parameters (stylesheet_parameters). Both paths may use
  // "\\" as a folder separator.
  HRESULT TransformToFile(const std::string& stylesheet, const std::string& parameters,
                          VARIANT_BOOL flag, const std::string& destination) noexcept override;

  // An element name, and its position among the children of that name
  // (from 1; 0: every one).
  struct Step {
    std::string_view name;
    std::size_t position = 0;
  };
  using Steps = std::vector<Step>;

  // IMetadataElements
  HRESULT CountElements(const std::string& path, std::int32_t* count) noexcept override;
  HRESULT ArrangeElements(const std::string& path, const Variant& order) noexcept override;

 private:
  struct ChildIndex;

  void set_document(xml::DocPtr doc);
  void replace(xml::DocPtr doc);
  std::vector<xmlNode*> reach_all(const Steps& steps);
  xmlNode* reach_first(const Steps& steps);
  xmlNode* reach_or_create(const Steps& steps);
  xmlNode* append_element(xmlNode* parent, std::string_view name);
  void check_names_encodable(const Steps& steps, std::string_view attribute) const;
  // The document for writing: a content still shared with a copy is copied
  // first.
  xmlDoc* writable();
  // A new revision. `keeps_layout`: the change cannot have undone the
  // layout (a leaf's text, an attribute), so content laid out before still is.
  void revised(bool keeps_layout = false);
  // Before the content is changed wholesale or copied: the undo keeps it.
  void keep_content_for_undo();
  struct Undo;
  // The record writes are kept in: the innermost, while it records.
  Undo* recording_undo() const;
  std::string path_of(xmlNode* element, std::string_view attribute) const;

  std::shared_ptr<xmlDoc> doc_;
  // Shared with the copies that share the content, so that each copy
  // does not look a large element's children up again.
  std::shared_ptr<ChildIndex> index_;
  bool modified_ = false;
  bool update_flag_ = false;
  xml::StylesheetParameters stylesheet_parameters_;
  std::uint64_t revision_ = 0;
  // The revision at which the content was last found or made laid out.
  std::uint64_t laid_out_at_ = 0;
  // Records, the innermost last.
  std::vector<std::unique_ptr<Undo>> undos_;
};

}  // namespace tw::host

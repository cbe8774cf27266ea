// The host's pages of the book "SpatialRef": the extents of the resource
// (bounding boxes on a map of the world, bounding polygons, time and
// height) and its reference systems, looked up in the EPSG registry.

#include "pages.h"
#include "tidewise/com/error.h"
#include "tidewise/com/factory.h"

namespace tw::hostpages {
namespace {

using com::Variant;
using std::to_array;

// Every extent page starts with the list of the resource's extents; the
// page's own list shows what the selected extent holds.
constexpr auto extent_controls(std::string_view what) {
  return join(
      to_array<ControlSpec>({
          intro(what),
          label("lblExtents", "Extents of the resource", 0, kLabelLeft, kFullWidth),
          list_box("lstExtents", 0.7, 4, 0),
          label("lblExDesc", "Description of the extent", 4.9),
          text("txtExDesc", 4.9, 5),
      }),
      list_buttons("cmdAddExtent", "cmdRemoveExtent", "cmdExtentUp", "cmdExtentDown", 0.7, 1));
}
constexpr Field kExtentFields[] = {{.control = "txtExDesc", .path = "exDesc"}};
constexpr std::string_view kExtentCaption[] = {"txtExDesc"};
constexpr Repeat kExtents{.list = "lstExtents",
                          .path = "dataIdInfo/dataExt",
                          .fields = kExtentFields,
                          .caption = kExtentCaption,
                          .entry_name = "Extent",
                          .add = "cmdAddExtent",
                          .remove = "cmdRemoveExtent",
                          .up = "cmdExtentUp",
                          .down = "cmdExtentDown"};

// The list inside the selected extent, 6 rows down.
constexpr auto inner_list(std::string_view caption, std::string_view list, double rows) {
  return to_array<ControlSpec>({
      label("lblInner", caption, 6, kLabelLeft, kFullWidth),
      list_box(list, 6.7, rows, 6),
  });
}
constexpr auto inner_buttons() {
  return list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 6.7, 7);
}
constexpr Repeat inner(std::string_view list, std::string_view path, std::string_view holding,
                       std::span<const Field> fields, std::span<const std::string_view> caption,
                       std::string_view entry_name, std::string_view map = {}) {
  return {.list = list,
          .path = path,
          .parent = "lstExtents",
          .holding = holding,
          .fields = fields,
          .caption = caption,
          .entry_name = entry_name,
          .add = "cmdAdd",
          .remove = "cmdRemove",
          .up = "cmdUp",
          .down = "cmdDown",
          .map = map};
}

// ---- Bounding boxes, on a map

constexpr std::string_view kBoxLinks[] = {"txtWest", "txtEast", "txtSouth", "txtNorth"};
constexpr int kMapWidth = 7440, kMapHeight = 3720;  // two to one, as the world in degrees
constexpr int kEdgeLeft = kLabelLeft + kMapWidth + 120, kEdgeWidth = 1440;
constexpr auto kBoxControls =
    join(extent_controls("Where the resource lies: boxes in degrees of longitude and latitude"),
         inner_list("Bounding boxes of the extent: draw one on the map, or type its edges",
                    "lstBoxes", 4),
         inner_buttons(),
         to_array<ControlSpec>({
             {.name = "mapBoxes",
              .kind = Kind::Map,
              .left = kLabelLeft,
              .top = row_top(11),
              .width = kMapWidth,
              .height = kMapHeight,
              .links = kBoxLinks},
             label("lblNorth", "North", 11, kEdgeLeft, kEdgeWidth),
             text("txtNorth", 11.6, 12, kEdgeLeft, kEdgeWidth, 1, "latitude >=@txtSouth"),
             label("lblWest", "West", 12.8, kEdgeLeft, kEdgeWidth),
             text("txtWest", 13.4, 13, kEdgeLeft, kEdgeWidth, 1, "longitude"),
             label("lblEast", "East", 14.6, kEdgeLeft, kEdgeWidth),
             text("txtEast", 15.2, 14, kEdgeLeft, kEdgeWidth, 1, "longitude"),
             label("lblSouth", "South", 16.4, kEdgeLeft, kEdgeWidth),
             text("txtSouth", 17, 15, kEdgeLeft, kEdgeWidth, 1, "latitude"),
         }));
constexpr Field kBoxFields[] = {
    {.control = "txtWest", .path = "GeoBndBox/westBL", .required = true},
    {.control = "txtEast", .path = "GeoBndBox/eastBL", .required = true},
    {.control = "txtSouth", .path = "GeoBndBox/southBL", .required = true},
    {.control = "txtNorth", .path = "GeoBndBox/northBL", .required = true},
};
constexpr Repeat kBoxLists[] = {
    kExtents,
    inner("lstBoxes", "geoEle", "GeoBndBox", kBoxFields, kBoxLinks, "Box", "mapBoxes"),
};

// ---- Bounding polygons

constexpr auto kPolygonControls =
    join(extent_controls("Where the resource lies: polygons, as the coordinates the record gives"),
         inner_list("Bounding polygons of the extent", "lstPolygons", 4), inner_buttons(),
         to_array<ControlSpec>({
             label("lblExterior", "Outer boundary (\"lat lon lat lon ...\")", 10.9, kFullLeft,
                   kFullWidth),
             text("txtExterior", 11.6, 12, kFullLeft, kFullWidth, 4),
             label("lblInterior", "Inner boundary, if any", 15.8, kFullLeft, kFullWidth),
             text("txtInterior", 16.5, 13, kFullLeft, kFullWidth, 2),
         }));
constexpr Field kPolygonFields[] = {
    {.control = "txtExterior", .path = "BoundPoly/polygon/exterior", .required = true},
    {.control = "txtInterior", .path = "BoundPoly/polygon/interior"},
};
constexpr std::string_view kPolygonCaption[] = {"txtExterior"};
constexpr Repeat kPolygonLists[] = {
    kExtents,
    inner("lstPolygons", "geoEle", "BoundPoly", kPolygonFields, kPolygonCaption, "Polygon"),
};

// ---- Temporal extents

constexpr auto kTemporalControls = join(
    extent_controls("When: the period or the instant the resource covers"),
    inner_list("Periods and instants of the extent", "lstTimes", 4), inner_buttons(),
    to_array<ControlSpec>({
        label("lblBegin", "Beginning (YYYY-MM-DD, time if any)", 10.9),
        text("txtBegin", 10.9, 12, kFieldLeft, kHalfWidth + 600, 1, "date"),
        label("lblEnd", "End", 11.9),
        text("txtEnd", 11.9, 13, kFieldLeft, kHalfWidth + 600, 1, "date >=@txtBegin"),
        label("lblEndOpen", "or, for no end date", 11.9, kSecondLabel + 600, kSecondLabelWidth),
        combo("cmbEndOpen", 11.9, 14, kSecondField + 600, kSecondFieldWidth - 600),
        label("lblInstant", "Or one instant", 12.9),
        text("txtInstant", 12.9, 15, kFieldLeft, kHalfWidth + 600, 1, "date"),
    }));
constexpr pages::Words kIndeterminateWords[] = {
    {"now", "now"}, {"unknown", "unknown"}, {"before", "before"}, {"after", "after"}};
constexpr WordList kIndeterminate{kIndeterminateWords};
constexpr Field kTimeFields[] = {
    {.control = "txtBegin", .path = "exTemp/beginEnd/begin"},
    {.control = "txtEnd", .path = "exTemp/beginEnd/end"},
    {.control = "cmbEndOpen",
     .path = "exTemp/beginEnd/end",
     .kind = FieldKind::Attribute,
     .words = &kIndeterminate,
     .attribute = "indeterminate"},
    {.control = "txtInstant", .path = "exTemp/instant"},
};
constexpr std::string_view kTimeCaption[] = {"txtBegin", "txtEnd", "cmbEndOpen", "txtInstant"};
constexpr std::string_view kTimeEither[] = {"txtBegin", "txtInstant"};
constexpr Repeat kTimeLists[] = {
    kExtents,
    {.list = "lstTimes",
     .path = "tempEle",
     .parent = "lstExtents",
     .holding = "exTemp",
     .fields = kTimeFields,
     .caption = kTimeCaption,
     .entry_name = "Period",
     .add = "cmdAdd",
     .remove = "cmdRemove",
     .up = "cmdUp",
     .down = "cmdDown",
     .one_of = kTimeEither},
};

// ---- Vertical extents

constexpr auto kVerticalControls =
    join(extent_controls("How high or deep: the vertical extents of the resource"),
         inner_list("Vertical extents of the extent", "lstHeights", 4), inner_buttons(),
         to_array<ControlSpec>({
             label("lblMin", "Lowest value", 10.9),
             text("txtMin", 10.9, 12, kFieldLeft, kHalfWidth, 1, "real"),
             label("lblMax", "Highest value", 10.9, kSecondLabel, kSecondLabelWidth),
             text("txtMax", 10.9, 13, kSecondField, kSecondFieldWidth, 1, "real >=@txtMin"),
             label("lblUnit", "Unit of measure", 11.9),
             text("txtUnit", 11.9, 14, kFieldLeft, kHalfWidth),
             label("lblVertCRS", "Vertical reference system", 12.9),
             text("txtVertCRS", 12.9, 15),
         }));
constexpr Field kHeightFields[] = {
    {.control = "txtMin", .path = "vertMinVal", .required = true},
    {.control = "txtMax", .path = "vertMaxVal", .required = true},
    {.control = "txtUnit", .path = "vertUoM"},
    {.control = "txtVertCRS", .path = "vertCRS"},
};
constexpr std::string_view kHeightCaption[] = {"txtMin", "txtMax", "txtUnit"};
constexpr Repeat kHeightLists[] = {
    kExtents,
    inner("lstHeights", "vertEle", {}, kHeightFields, kHeightCaption, "Vertical extent"),
};

// ---- Reference systems, with the EPSG registry

constexpr auto kReferenceControls =
    join(to_array<ControlSpec>({
             intro("The coordinate reference systems of the data"),
             list_box("lstSystems", 0, 4, 0),
             label("lblCode", "Code", 4.2),
             text("txtCode", 4.2, 5, kFieldLeft, kHalfWidth),
             label("lblCodeSpace", "Code space", 4.2, kSecondLabel, kSecondLabelWidth),
             text("txtCodeSpace", 4.2, 6, kSecondField, kSecondFieldWidth),
             label("lblVersion", "Version", 5.2),
             text("txtVersion", 5.2, 7, kFieldLeft, kHalfWidth),
             label("lblRegistryName", "In the EPSG registry", 6.2),
             label("lblRegistry", "", 6.2, kFieldLeft, kFieldWidth),
             frame("frmFind", "Find a system in the EPSG registry", 7.5, 7.4),
             label("lblFind", "Name or code (\"WGS 84\", \"4326\")", 8.2),
             text("txtFind", 8.2, 8, kFieldLeft, 4680),
             button("cmdFind", "Find", 8.2, 9, kFieldLeft + 4800, kButtonWidth),
             list_box("lstFound", 9.3, 5, 10, kFieldLeft, kFieldWidth),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kReferenceFields[] = {
    {.control = "txtCode", .path = "refSysId/identCode", .required = true},
    {.control = "txtCodeSpace", .path = "refSysId/idCodeSpace"},
    {.control = "txtVersion", .path = "refSysId/idVersion"},
};
constexpr std::string_view kReferenceCaption[] = {"txtCodeSpace", "txtCode"};
constexpr Repeat kReferenceLists[] = {{.list = "lstSystems",
                                       .path = "MdCoRefSys",
                                       .fields = kReferenceFields,
                                       .caption = kReferenceCaption,
                                       .entry_name = "Reference system",
                                       .add = "cmdAdd",
                                       .remove = "cmdRemove",
                                       .up = "cmdUp",
                                       .down = "cmdDown"}};
constexpr std::string_view kReferenceActions[] = {"cmdFind", "lstFound", "txtFind"};

// The systems the registry holds for a text: "CODE<tab>NAME" each.
std::vector<std::string> look_up(const std::string& text, int limit) {
  const auto registry = com::create_instance<host::IReferenceSystems>(host::CLSID_ReferenceSystems);
  Variant found;
  com::check(registry->Find(text, limit, &found), "IReferenceSystems.Find");
  std::vector<std::string> systems;
  if (const com::SafeArray* array = found.as_array()) {
    for (const Variant& value : array->elements) {
      if (const std::string* system = value.as_string()) systems.push_back(*system);
    }
  }
  return systems;
}

// "4326", "EPSG:4326", "urn:ogc:def:crs:EPSG::4326" or "WGS 84 (EPSG:4326)"
// name the code 4326: the last run of digits of a text that is only digits
// or names EPSG.
std::string epsg_code(std::string_view code) {
  const bool digits_only = !code.empty() && code.find_first_not_of("0123456789") == code.npos;
  if (!digits_only && code.find("EPSG") == code.npos) return {};
  const std::size_t end = code.find_last_of("0123456789");
  if (end == code.npos) return {};
  const std::size_t start = code.find_last_not_of("0123456789", end);
  const std::size_t first = start == code.npos ? 0 : start + 1;
  if (end + 1 - first > 6) return {};
  return std::string(code.substr(first, end + 1 - first));
}

void on_reference_event(pages::Page& page, std::string_view control) {
  forms::Form& form = page.form();
  try {
    if (control == "cmdFind") {
      std::vector<std::string> found;
      for (std::string& system : look_up(form.get("txtFind").text(), 50)) {
        const std::size_t tab = system.find('\t');
        found.push_back(system.substr(0, tab) + "  " + system.substr(tab + 1));
      }
      form.get("lstFound").set_items(found.empty() ? std::vector<std::string>{} : std::move(found));
      form.get("lblFind").set_caption(form.get("lstFound").items().empty()
                                          ? "Nothing found; name or code"
                                          : "Name or code (\"WGS 84\", \"4326\")");
      return;
    }
    if (control == "lstFound") {
      const int index = form.get("lstFound").list_index();
      if (index < 0 || !form.get("txtCode").enabled()) return;
      const std::string& item = form.get("lstFound").items()[static_cast<std::size_t>(index)];
      // As the user would type them: the code and its code space.
      form.get("txtCode").set_text(item.substr(0, item.find(' ')));
      form.get("txtCodeSpace").set_text("EPSG");
      control = "txtCode";
    }
    if (control.empty() || control == "txtCode" || control == "txtCodeSpace" ||
        control == "lstSystems" || control == "cmdRemove" || control == "cmdAdd" ||
        control == "cmdUp" || control == "cmdDown") {
      const std::string code = epsg_code(form.get("txtCode").text());
      std::string name;
      if (!code.empty()) {
        for (const std::string& system : look_up(code, 1)) {
          if (system.substr(0, system.find('\t')) == code)
            name = system.substr(system.find('\t') + 1);
        }
      }
      form.get("lblRegistry").set_caption(name.empty() ? "" : "EPSG:" + code + "  " + name);
    }
  } catch (const com::Error& e) {
    // The page works without the registry; it says why it cannot look up.
    form.get("lblRegistry")
        .set_caption(std::string("The EPSG registry cannot be read: ") + e.what());
  }
}

}  // namespace

extern const PageData kBoundingBoxesPage;
constexpr PageData kBoundingBoxesPage =
    host_page("BoundingBoxes", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A31}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A32}"), "Bounding boxes", kBoxControls,
              {}, kBoxLists);
extern const PageData kBoundingPolygonsPage;
constexpr PageData kBoundingPolygonsPage =
    host_page("BoundingPolygons", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A33}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A34}"), "Bounding polygons",
              kPolygonControls, {}, kPolygonLists);
extern const PageData kTemporalExtentsPage;
constexpr PageData kTemporalExtentsPage =
    host_page("TemporalExtents", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A35}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A36}"), "Temporal extents",
              kTemporalControls, {}, kTimeLists);
extern const PageData kVerticalExtentsPage;
constexpr PageData kVerticalExtentsPage =
    host_page("VerticalExtents", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A37}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A38}"), "Vertical extents",
              kVerticalControls, {}, kHeightLists);
extern const PageData kReferenceSystemsPage;
constexpr PageData kReferenceSystemsPage = [] {
  PageData data = host_page("ReferenceSystems", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A39}"),
                            com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A3A}"),
                            "Reference systems", kReferenceControls, {}, kReferenceLists);
  data.actions = kReferenceActions;
  data.on_event = &on_reference_event;
  return data;
}();

}  // namespace tw::hostpages

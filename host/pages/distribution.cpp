// The host's pages of the book "DistInfo": the formats the resource is
// distributed in, its distributors and the online resources where it is.

#include "pages.h"

namespace tw::hostpages {
namespace {

using std::to_array;

// ---- Formats

constexpr auto kFormatControls =
    join(to_array<ControlSpec>({
             intro("The formats the resource is distributed in"),
             list_box("lstFormats", 0, 4, 0),
             label("lblName", "Name of the format", 4.2),
             text("txtName", 4.2, 5),
             label("lblVersion", "Version", 5.2),
             text("txtVersion", 5.2, 6, kFieldLeft, kHalfWidth),
             label("lblAmendment", "Amendment", 5.2, kSecondLabel, kSecondLabelWidth),
             text("txtAmendment", 5.2, 7, kSecondField, kSecondFieldWidth),
             label("lblSpec", "Specification", 6.2),
             text("txtSpec", 6.2, 8),
             label("lblDecompression", "Decompression technique", 7.2),
             text("txtDecompression", 7.2, 9),
         }),
         list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1));
constexpr Field kFormatFields[] = {
    {.control = "txtName", .path = "formatName", .required = true},
    {.control = "txtVersion", .path = "formatVer", .required = true},
    {.control = "txtAmendment", .path = "formatAmdNum"},
    {.control = "txtSpec", .path = "formatSpec"},
    {.control = "txtDecompression", .path = "fileDecmTech"},
};
constexpr std::string_view kFormatCaption[] = {"txtName", "txtVersion"};
constexpr Repeat kFormatLists[] = {{.list = "lstFormats",
                                    .path = "distInfo/distFormat",
                                    .fields = kFormatFields,
                                    .caption = kFormatCaption,
                                    .entry_name = "Format",
                                    .add = "cmdAdd",
                                    .remove = "cmdRemove",
                                    .up = "cmdUp",
                                    .down = "cmdDown"}};

// ---- Online resources, in their transfer options

constexpr Field kLinkFields[] = {
    {.control = "txtLinkage", .path = "linkage", .required = true},
    {.control = "txtProtocol", .path = "protocol"},
    {.control = "txtLinkName", .path = "orName"},
    {.control = "txtLinkDesc", .path = "orDesc"},
    {.control = "cmbFunction",
     .path = "orFunct/OnFunctCd",
     .kind = FieldKind::WordsAt,
     .words = &kFunctions},
};
constexpr std::string_view kLinkCaption[] = {"txtLinkName", "txtLinkage"};

// The fields of an online resource, from `row` down.
constexpr auto link_controls(double row, int tab) {
  return to_array<ControlSpec>({
      label("lblLinkage", "Address (URL)", row),
      text("txtLinkage", row, tab),
      label("lblProtocol", "Protocol", row + 1),
      text("txtProtocol", row + 1, tab + 1),
      label("lblLinkName", "Name", row + 2),
      text("txtLinkName", row + 2, tab + 2),
      label("lblLinkDesc", "Description", row + 3),
      text("txtLinkDesc", row + 3, tab + 3, kFieldLeft, kFieldWidth, 1.6),
      label("lblFunction", "Function", row + 4.6),
      combo("cmbFunction", row + 4.6, tab + 4),
  });
}

constexpr auto kOnlineControls = join(
    to_array<ControlSpec>({
        intro("Where the resource is online: its addresses, grouped as they are offered"),
        label("lblTransfers", "Transfer options", 0, kLabelLeft, kFullWidth),
        list_box("lstTransfers", 0.7, 4, 0),
        label("lblUnits", "Units of distribution", 4.9),
        text("txtUnits", 4.9, 5, kFieldLeft, kHalfWidth),
        label("lblSize", "Size (MB)", 4.9, kSecondLabel, kSecondLabelWidth),
        text("txtSize", 4.9, 6, kSecondField, kSecondFieldWidth, 1, "real"),
        label("lblLinks", "Online resources of the transfer option", 6, kLabelLeft, kFullWidth),
        list_box("lstLinks", 6.7, 4, 7),
    }),
    list_buttons("cmdAddTransfer", "cmdRemoveTransfer", "cmdTransferUp", "cmdTransferDown", 0.7, 1),
    list_buttons("cmdAddLink", "cmdRemoveLink", "cmdLinkUp", "cmdLinkDown", 6.7, 8),
    link_controls(10.9, 12));
constexpr Field kTransferFields[] = {
    {.control = "txtUnits", .path = "unitsODist"},
    {.control = "txtSize", .path = "transSize"},
};
constexpr std::string_view kTransferCaption[] = {"txtUnits", "txtSize"};
constexpr Repeat kOnlineLists[] = {
    {.list = "lstTransfers",
     .path = "distInfo/distTranOps",
     .fields = kTransferFields,
     .caption = kTransferCaption,
     .entry_name = "Transfer option",
     .add = "cmdAddTransfer",
     .remove = "cmdRemoveTransfer",
     .up = "cmdTransferUp",
     .down = "cmdTransferDown"},
    {.list = "lstLinks",
     .path = "onLineSrc",
     .parent = "lstTransfers",
     .fields = kLinkFields,
     .caption = kLinkCaption,
     .entry_name = "Online resource",
     .add = "cmdAddLink",
     .remove = "cmdRemoveLink",
     .up = "cmdLinkUp",
     .down = "cmdLinkDown"},
};

// ---- Distributors: their contact, formats and transfer options

constexpr auto kDistributorControls = join(
    to_array<ControlSpec>({
        intro("Who distributes the resource, in which formats and where"),
        list_box("lstDistributors", 0, 4, 0),
        label("lblOrgName", "Organisation's name", 4.2),
        text("txtOrgName", 4.2, 5),
        label("lblIndName", "Individual's name", 5.2),
        text("txtIndName", 5.2, 6),
        label("lblRole", "Role", 6.2),
        combo("cmbRole", 6.2, 7, kFieldLeft, 3000),
        label("lblEmail", "E-mail", 7.2),
        text("txtEmail", 7.2, 8, kFieldLeft, kFieldWidth, 1, "email"),
        label("lblVoice", "Telephone", 8.2),
        text("txtVoice", 8.2, 9),
        label("lblFormats", "Formats of this distributor", 9.4, kLabelLeft, kFullWidth),
        list_box("lstDistFormats", 10.1, 4, 10),
        label("lblFormatName", "Format name", 14.3),
        text("txtFormatName", 14.3, 15, kFieldLeft, kHalfWidth + 600),
        label("lblFormatVersion", "Version", 14.3, kSecondLabel + 600, kSecondLabelWidth - 600),
        text("txtFormatVersion", 14.3, 16, kSecondField, kSecondFieldWidth),
        label("lblTransfers", "Transfer options of this distributor", 15.5, kLabelLeft, kFullWidth),
        list_box("lstTransfers", 16.2, 4, 17),
        label("lblUnits", "Units of distribution", 20.4),
        text("txtUnits", 20.4, 22, kFieldLeft, kHalfWidth),
        label("lblLinks", "Online resources of the transfer option", 21.6, kLabelLeft, kFullWidth),
        list_box("lstLinks", 22.3, 4, 23),
    }),
    list_buttons("cmdAdd", "cmdRemove", "cmdUp", "cmdDown", 0, 1),
    list_buttons("cmdAddFormat", "cmdRemoveFormat", "cmdFormatUp", "cmdFormatDown", 10.1, 11),
    list_buttons("cmdAddTransfer", "cmdRemoveTransfer", "cmdTransferUp", "cmdTransferDown", 16.2,
                 18),
    list_buttons("cmdAddLink", "cmdRemoveLink", "cmdLinkUp", "cmdLinkDown", 22.3, 24),
    link_controls(26.5, 28));
constexpr Field kDistributorFields[] = {
    {.control = "txtOrgName", .path = "distorCont/rpOrgName"},
    {.control = "txtIndName", .path = "distorCont/rpIndName"},
    {.control = "cmbRole",
     .path = "distorCont/role/RoleCd",
     .kind = FieldKind::WordsAt,
     .words = &kRoleCodes},
    {.control = "txtEmail", .path = "distorCont/rpCntInfo/cntAddress/eMailAdd"},
    {.control = "txtVoice", .path = "distorCont/rpCntInfo/cntPhone/voiceNum"},
};
constexpr std::string_view kDistributorCaption[] = {"txtOrgName", "txtIndName"};
constexpr std::string_view kDistributorNames[] = {"txtOrgName", "txtIndName"};
constexpr Field kDistFormatFields[] = {
    {.control = "txtFormatName", .path = "formatName", .required = true},
    {.control = "txtFormatVersion", .path = "formatVer", .required = true},
};
constexpr std::string_view kDistFormatCaption[] = {"txtFormatName", "txtFormatVersion"};
constexpr Field kDistTransferFields[] = {{.control = "txtUnits", .path = "unitsODist"}};
constexpr std::string_view kDistTransferCaption[] = {"txtUnits"};
constexpr Repeat kDistributorLists[] = {
    {.list = "lstDistributors",
     .path = "distInfo/distributor",
     .fields = kDistributorFields,
     .caption = kDistributorCaption,
     .entry_name = "Distributor",
     .add = "cmdAdd",
     .remove = "cmdRemove",
     .up = "cmdUp",
     .down = "cmdDown",
     .one_of = kDistributorNames},
    {.list = "lstDistFormats",
     .path = "distorFormat",
     .parent = "lstDistributors",
     .fields = kDistFormatFields,
     .caption = kDistFormatCaption,
     .entry_name = "Format",
     .add = "cmdAddFormat",
     .remove = "cmdRemoveFormat",
     .up = "cmdFormatUp",
     .down = "cmdFormatDown"},
    {.list = "lstTransfers",
     .path = "distorTran",
     .parent = "lstDistributors",
     .fields = kDistTransferFields,
     .caption = kDistTransferCaption,
     .entry_name = "Transfer option",
     .add = "cmdAddTransfer",
     .remove = "cmdRemoveTransfer",
     .up = "cmdTransferUp",
     .down = "cmdTransferDown"},
    {.list = "lstLinks",
     .path = "onLineSrc",
     .parent = "lstTransfers",
     .fields = kLinkFields,
     .caption = kLinkCaption,
     .entry_name = "Online resource",
     .add = "cmdAddLink",
     .remove = "cmdRemoveLink",
     .up = "cmdLinkUp",
     .down = "cmdLinkDown"},
};

}  // namespace

extern const PageData kFormatsPage;
constexpr PageData kFormatsPage =
    host_page("Formats", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A41}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A42}"), "Distribution formats",
              kFormatControls, {}, kFormatLists);
extern const PageData kDistributorsPage;
constexpr PageData kDistributorsPage =
    host_page("Distributors", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A43}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A44}"), "Distributors",
              kDistributorControls, {}, kDistributorLists);
extern const PageData kOnlineResourcesPage;
constexpr PageData kOnlineResourcesPage =
    host_page("OnlineResources", com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A45}"),
              com::guid("{5A0F8C31-7E42-4B6D-9C1A-2F6E8D3B4A46}"), "Online resources",
              kOnlineControls, {}, kOnlineLists);

}  // namespace tw::hostpages

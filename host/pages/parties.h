#pragma once
// A responsible party as the host's pages show it (points of contact, cited
// parties, metadata contacts, distributors): its names and role, and every
// field of its contact, below a list of the parties.

#include <array>

#include "layout.h"
#include "words.h"

namespace tw::hostpages {

using pages::Field;
using pages::FieldKind;

// The list `list` of parties at the top, their fields below it, to row 24.8.
constexpr auto party_controls(std::string_view list) {
  return std::to_array<ControlSpec>({
      list_box(list, 0, 4, 0),
      label("lblIndName", "Individual's name", 4.2),
      text("txtIndName", 4.2, 5),
      label("lblOrgName", "Organisation's name", 5.2),
      text("txtOrgName", 5.2, 6),
      label("lblPosName", "Position", 6.2),
      text("txtPosName", 6.2, 7),
      label("lblRole", "Role", 7.2),
      combo("cmbRole", 7.2, 8),
      frame("frmContact", "Contact information", 8.4, 16.4),
      label("lblVoice", "Telephone (one a line)", 9.1),
      text("txtVoice", 9.1, 9, kFieldLeft, kFieldWidth, 1.8),
      label("lblFax", "Facsimile", 10.9),
      text("txtFax", 10.9, 10),
      label("lblDelPoint", "Delivery point (one a line)", 11.9),
      text("txtDelPoint", 11.9, 11, kFieldLeft, kFieldWidth, 1.8),
      label("lblCity", "City", 13.7),
      text("txtCity", 13.7, 12),
      label("lblAdminArea", "Administrative area", 14.7),
      text("txtAdminArea", 14.7, 13),
      label("lblPostCode", "Postal code", 15.7),
      text("txtPostCode", 15.7, 14, kFieldLeft, kHalfWidth),
      label("lblCountry", "Country", 15.7, kSecondLabel, kSecondLabelWidth),
      text("txtCountry", 15.7, 15, kSecondField, kSecondFieldWidth),
      label("lblEmail", "E-mail (one a line)", 16.7),
      text("txtEmail", 16.7, 16, kFieldLeft, kFieldWidth, 1.8, "email lines"),
      label("lblOnline", "Online resource (URL)", 18.5),
      text("txtOnline", 18.5, 17, kFieldLeft, kFieldWidth),
      label("lblOnProtocol", "Protocol", 19.5),
      text("txtOnProtocol", 19.5, 18, kFieldLeft, kHalfWidth),
      label("lblOnFunction", "Function", 19.5, kSecondLabel, kSecondLabelWidth),
      combo("cmbOnFunction", 19.5, 19, kSecondField, kSecondFieldWidth),
      label("lblOnName", "Name of the resource", 20.5),
      text("txtOnName", 20.5, 20),
      label("lblOnDesc", "Description of the resource", 21.5),
      text("txtOnDesc", 21.5, 21),
      label("lblHours", "Hours of service", 22.5),
      text("txtHours", 22.5, 22),
      label("lblInstr", "Contact instructions", 23.5),
      text("txtInstr", 23.5, 23),
  });
}

// Every field of a responsible party; the role is stored as ISO's name or
// as the host's code, as the party's place in the item says.
constexpr auto party_fields(Field role) {
  return std::to_array<Field>({
      {.control = "txtIndName", .path = "rpIndName"},
      {.control = "txtOrgName", .path = "rpOrgName"},
      {.control = "txtPosName", .path = "rpPosName"},
      role,
      {.control = "txtVoice", .path = "rpCntInfo/cntPhone/voiceNum", .kind = FieldKind::Lines},
      {.control = "txtFax", .path = "rpCntInfo/cntPhone/faxNum"},
      {.control = "txtDelPoint", .path = "rpCntInfo/cntAddress/delPoint", .kind = FieldKind::Lines},
      {.control = "txtCity", .path = "rpCntInfo/cntAddress/city"},
      {.control = "txtAdminArea", .path = "rpCntInfo/cntAddress/adminArea"},
      {.control = "txtPostCode", .path = "rpCntInfo/cntAddress/postCode"},
      {.control = "txtCountry", .path = "rpCntInfo/cntAddress/country"},
      {.control = "txtEmail", .path = "rpCntInfo/cntAddress/eMailAdd", .kind = FieldKind::Lines},
      {.control = "txtOnline", .path = "rpCntInfo/cntOnlineRes/linkage"},
      {.control = "txtOnProtocol", .path = "rpCntInfo/cntOnlineRes/protocol"},
      {.control = "cmbOnFunction",
       .path = "rpCntInfo/cntOnlineRes/orFunct/OnFunctCd",
       .kind = FieldKind::WordsAt,
       .words = &kFunctions},
      {.control = "txtOnName", .path = "rpCntInfo/cntOnlineRes/orName"},
      {.control = "txtOnDesc", .path = "rpCntInfo/cntOnlineRes/orDesc"},
      {.control = "txtHours", .path = "rpCntInfo/cntHours"},
      {.control = "txtInstr", .path = "rpCntInfo/cntInstr"},
  });
}
inline constexpr auto kNamedRoleParty = party_fields({.control = "cmbRole",
                                                      .path = "role",
                                                      .kind = FieldKind::Words,
                                                      .words = &kRoleNames,
                                                      .required = true});
inline constexpr auto kCodedRoleParty = party_fields({.control = "cmbRole",
                                                      .path = "role/RoleCd",
                                                      .kind = FieldKind::WordsAt,
                                                      .words = &kRoleCodes,
                                                      .required = true});
inline constexpr std::string_view kPartyCaption[] = {"txtOrgName", "txtIndName", "txtPosName",
                                                     "cmbRole"};
// ISO: a party has a name, an organisation or a position.
inline constexpr std::string_view kPartyNames[] = {"txtIndName", "txtOrgName", "txtPosName"};

}  // namespace tw::hostpages

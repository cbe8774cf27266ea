<?xml version="1.0" encoding="UTF-8"?>
<!--
  The host's model of an ISO 19139 record, as tables that both stylesheets
  include: toTidewiseModel.xslt writes ISO from them, toVelmarModel.xslt reads
  ISO through them. README.md shows the same tables as one mapping.

  map:class  one ISO class: its properties (map:p) in ISO's order, after those
             of its base class. @name is how rows refer to it (the ISO name,
             or the ISO name and a form where the host holds one class in two
             shapes); @ns the namespace prefix of the class element.
  map:p      one property: @iso its ISO element (namespace @ns, else the
             class's), @host the host element that holds it ('' when the
             host has none and the class elements stand there directly),
             @max="n" when it repeats, @min="1" when ISO requires it (the
             export then writes a nil placeholder for a missing value),
             @also a namespace whose element of the same name some records
             write in its place (read, never written).
             Its value is one of
               @type   a value of an ISO type (the list below);
               @class  an object of that class, whose properties are the
                       host element's children;
               @choice an object of one of several classes (map:choice): the
                       host element holds the class element (or, with
                       host '', the class elements stand in its place).
  map:choice the classes an abstract property can hold, each with its host
             element; the export takes the first whose host element matches
             and, with @detect, that holds a child named in @detect or whose
             "class" attribute names it. The import writes that attribute
             for a class with @detect.
  map:codes  a code list: @code is the host's three-digit code (ISO 19115's
             domain code), @name the host's name where it differs from ISO's
             value @iso.

  Value types (@type) and how the host holds them:
    text        element text; gmx:Anchor's xlink:href and xlink:title as the
                attributes "href" and "title", gmx:FileName's src as "src",
                gmx:MimeFileType's type as "mimeType"; PT_FreeText
                translations as child elements transl (attribute "locale",
                the LocalisedCharacterString's locale reference)
    URL         element text
    Date        element text (YYYY, YYYY-MM, YYYY-MM-DD, with a time zone, or
                a date and time)
    DateTime Decimal Real Integer Boolean Duration
                element text, the lexical form ISO's type allows
    Measure     "value unit" (gco:Measure, or the gco element @gco)
    Binary      child BinaryBase64's text
    Record      child otherValue's text
    RecordType  element text
    GenericName element text; "codeSpace" attribute; scoped="true" for
                gco:ScopedName
    MemberName  element text (the aName); its attributeType as the attribute
                "attributeType"
    language    child languageCode's "value" attribute (gmd:LanguageCode);
                a language given as text is the element's text
    country     child countryCode's "value" attribute (gmd:Country)
    code        @form set: child @form's "value" attribute, the host code;
                else the element's text, the host name
    enum        as code, for ISO's enumerations
    ref         nothing but the property's attributes
    href        the property's xlink:href, as element text
    unit        child uomName's text, the gml:UnitDefinition's identifier;
                "unitId" and "codeSpace" attributes
    time        children beginEnd (begin, end) or instant: the gml:TimePeriod
                or gml:TimeInstant; "indeterminate" attribute on a position
                that has none; "id" attribute, the gml:id
    polygon     children exterior and interior, the rings' coordinates
                (gml:posList, or gml:pos each with posForm="pos"); "id" and
                "srsName" attributes
    point       element text, the gml:Point's gml:pos; "id" attribute

  On every host element of a property: "nilReason" (gco:nilReason, when the
  property holds no value), "uuidref"; of a property of a class type, "href"
  and "title" (xlink). On a class's element: "id" and "uuid".

  The ISO 19115-3 column (iso19115-3.xsl reads and writes ISO 19115-3 by it):
  on map:class, @ns3 the ISO 19115-3 package of its class element, @iso3 its
  name there where it differs, @order3 its properties there in order, as
  prefix:name ("!" after a required one, "!!" where it needs two); on map:p,
  @to3 the ISO 19115-3 property ("" where ISO 19115-3 has none: it travels
  in tw3:carried; absent: the class's @ns3 and the same name), @move3 the
  move that gives the value its other shape, @wrap3 the elements that wrap
  the value there ("a/b"), @form3 "instant" (a date and time as a
  gml:TimeInstant) or "datetime" (a date and time only), @max3 "1" where ISO
  19115-3 does not repeat it; on map:codes, @ns3 the package of the code
  element; on map:v, @iso3 the value as ISO 19115-1 spells it where it
  differs; on map:c, @iso3 the class's name there.

  What the host cannot hold stays in the item as the ISO element itself,
  inside a host element carry (attribute "after": the ISO property, as
  prefix:name, that it follows in its class, '' at the start), and is written
  back in that place.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:map="http://www.tidewise.org/2026/iso19139-ext/map">

  <!-- ===================================================================
       Metadata
       =================================================================== -->

  <map:class name="MD_Metadata" ns="gmd" tw="yes" ns3="mdb"
      order3="mdb:metadataIdentifier mdb:defaultLocale mdb:parentMetadata mdb:metadataScope mdb:contact! mdb:dateInfo! mdb:metadataStandard mdb:metadataProfile mdb:alternativeMetadataReference mdb:otherLocale mdb:metadataLinkage mdb:spatialRepresentationInfo mdb:referenceSystemInfo mdb:metadataExtensionInfo mdb:identificationInfo! mdb:contentInfo mdb:distributionInfo mdb:dataQualityInfo mdb:resourceLineage mdb:portrayalCatalogueInfo mdb:metadataConstraints mdb:applicationSchemaInfo mdb:metadataMaintenance mdb:describes mdb:acquisitionInformation">
    <map:p iso="fileIdentifier" host="mdFileID" type="text" to3="mdb:metadataIdentifier" move3="identifier"/>
    <map:p iso="language" host="mdLang" type="language" to3="mdb:defaultLocale" move3="locale"/>
    <map:p iso="characterSet" host="mdChar2" type="code" list="MD_CharacterSetCode" to3="mdb:defaultLocale" move3="locale"/>
    <map:p iso="parentIdentifier" host="mdParentID" type="text" to3="mdb:parentMetadata" move3="uuidref"/>
    <map:p iso="hierarchyLevel" host="mdHrLv2" type="code" list="MD_ScopeCode" max="n" to3="mdb:metadataScope" move3="scope"/>
    <map:p iso="hierarchyLevelName" host="mdHrLvName" type="text" max="n" to3="mdb:metadataScope" move3="scope"/>
    <map:p iso="contact" host="mdContact" class="CI_ResponsibleParty" min="1" max="n"/>
    <map:p iso="dateStamp" host="mdDateSt" type="Date" min="1" to3="mdb:dateInfo" move3="date-stamp"/>
    <map:p iso="metadataStandardName" host="mdStanName2" type="text" to3="mdb:metadataStandard" move3="standard"/>
    <map:p iso="metadataStandardVersion" host="mdStanVer2" type="text" to3="mdb:metadataStandard" move3="standard"/>
    <map:p iso="dataSetURI" host="dataSetURI" type="text" to3="mri:citation" move3="dataset-uri"/>
    <map:p iso="locale" host="mdLocale" class="PT_Locale" max="n" to3="mdb:otherLocale"/>
    <map:p iso="spatialRepresentationInfo" host="" choice="MD_SpatialRepresentation" max="n"/>
    <map:p iso="referenceSystemInfo" host="" choice="MD_ReferenceSystem" max="n"/>
    <map:p iso="metadataExtensionInfo" host="mdExtInfo" class="MD_MetadataExtensionInformation" max="n"/>
    <map:p iso="identificationInfo" host="" choice="MD_Identification" min="1" max="n"/>
    <map:p iso="contentInfo" host="" choice="MD_ContentInformation" max="n"/>
    <map:p iso="distributionInfo" host="distInfo" class="MD_Distribution"/>
    <map:p iso="dataQualityInfo" host="dqInfo" class="DQ_DataQuality" max="n" move3="quality"/>
    <map:p iso="portrayalCatalogueInfo" host="portCatInfo" class="MD_PortrayalCatalogueReference" max="n"/>
    <map:p iso="metadataConstraints" host="mdConst" choice="MD_Constraints" max="n"/>
    <map:p iso="applicationSchemaInfo" host="appSchInfo" class="MD_ApplicationSchemaInformation" max="n"/>
    <map:p iso="metadataMaintenance" host="mdMaint" class="MD_MaintenanceInformation"/>
  </map:class>

  <!-- ISO 19115-2's record: the base record and its acquisition. -->
  <map:class name="MI_Metadata" ns="gmi" base="MD_Metadata" ns3="mac"
      order3="mdb:metadataIdentifier mdb:defaultLocale mdb:parentMetadata mdb:metadataScope mdb:contact! mdb:dateInfo! mdb:metadataStandard mdb:metadataProfile mdb:alternativeMetadataReference mdb:otherLocale mdb:metadataLinkage mdb:spatialRepresentationInfo mdb:referenceSystemInfo mdb:metadataExtensionInfo mdb:identificationInfo! mdb:contentInfo mdb:distributionInfo mdb:dataQualityInfo mdb:resourceLineage mdb:portrayalCatalogueInfo mdb:metadataConstraints mdb:applicationSchemaInfo mdb:metadataMaintenance mdb:describes mdb:acquisitionInformation">
    <map:p iso="acquisitionInformation" host="acqInfo" class="MI_AcquisitionInformation" max="n" to3="mdb:acquisitionInformation"/>
  </map:class>

  <!-- The root element: the host's metadata. -->
  <map:choice name="root">
    <map:c iso="MI_Metadata" ns="gmi" host="metadata" detect="acqInfo"/>
    <map:c iso="MD_Metadata" ns="gmd" host="metadata"/>
  </map:choice>

  <map:class name="PT_Locale" ns="gmd" ns3="lan"
      order3="lan:language! lan:country lan:characterEncoding!">
    <map:p iso="languageCode" host="locLang" type="language" min="1" to3="lan:language"/>
    <map:p iso="country" host="locCountry" type="country"/>
    <map:p iso="characterEncoding" host="locEnc" type="code" list="MD_CharacterSetCode" min="1"/>
  </map:class>

  <map:class name="MD_MetadataExtensionInformation" ns="gmd" ns3="mex"
      order3="mex:extensionOnLineResource mex:extendedElementInformation">
    <map:p iso="extensionOnLineResource" host="extOnRes" class="CI_OnlineResource"/>
    <map:p iso="extendedElementInformation" host="extEleInfo" class="MD_ExtendedElementInformation" max="n"/>
  </map:class>

  <map:class name="MD_ExtendedElementInformation" ns="gmd" ns3="mex"
      order3="mex:name! mex:definition! mex:obligation mex:condition mex:dataType! mex:maximumOccurrence mex:domainValue mex:parentEntity! mex:rule! mex:rationale mex:source! mex:conceptName mex:code">
    <map:p iso="name" host="extEleName" type="text" min="1"/>
    <map:p iso="shortName" host="extShortName" type="text" to3=""/>
    <map:p iso="domainCode" host="extDomCode" type="Integer" to3=""/>
    <map:p iso="definition" host="extEleDef" type="text" min="1"/>
    <map:p iso="obligation" host="extEleOb" type="enum" list="MD_ObligationCode"/>
    <map:p iso="condition" host="extEleCond" type="text"/>
    <map:p iso="dataType" host="eleDataType" type="code" list="MD_DatatypeCode" form="DatatypeCd" min="1"/>
    <map:p iso="maximumOccurrence" host="extEleMxOc" type="text"/>
    <map:p iso="domainValue" host="extEleDomVal" type="text"/>
    <map:p iso="parentEntity" host="extEleParEnt" type="text" min="1" max="n"/>
    <map:p iso="rule" host="extEleRule" type="text" min="1"/>
    <map:p iso="rationale" host="extEleRat" type="text" max="n" max3="1"/>
    <map:p iso="source" host="extEleSrc" class="CI_ResponsibleParty" min="1" max="n"/>
  </map:class>

  <map:class name="MD_PortrayalCatalogueReference" ns="gmd" ns3="mpc"
      order3="mpc:portrayalCatalogueCitation!">
    <map:p iso="portrayalCatalogueCitation" host="portCatCit" class="CI_Citation" min="1" max="n"/>
  </map:class>

  <map:class name="MD_ApplicationSchemaInformation" ns="gmd" ns3="mas"
      order3="mas:name! mas:schemaLanguage! mas:constraintLanguage! mas:schemaAscii mas:graphicsFile mas:softwareDevelopmentFile mas:softwareDevelopmentFileFormat">
    <map:p iso="name" host="asName" class="CI_Citation" min="1"/>
    <map:p iso="schemaLanguage" host="asSchLang" type="text" min="1"/>
    <map:p iso="constraintLanguage" host="asCstLang" type="text" min="1"/>
    <map:p iso="schemaAscii" host="asAscii" type="text"/>
    <map:p iso="graphicsFile" host="asGraFile" type="Binary" to3=""/>
    <map:p iso="softwareDevelopmentFile" host="asSwDevFile" type="Binary" to3=""/>
    <map:p iso="softwareDevelopmentFileFormat" host="asSwDevFiFt" type="text"/>
  </map:class>

  <map:class name="MD_MaintenanceInformation" ns="gmd" ns3="mmi"
      order3="mmi:maintenanceAndUpdateFrequency mmi:maintenanceDate mmi:userDefinedMaintenanceFrequency mmi:maintenanceScope mmi:maintenanceNote mmi:contact">
    <map:p iso="maintenanceAndUpdateFrequency" host="maintFreq" type="code" list="MD_MaintenanceFrequencyCode" form="MaintFreqCd" min="1"/>
    <map:p iso="dateOfNextUpdate" host="dateNext" type="Date" to3="mmi:maintenanceDate" move3="next-update"/>
    <map:p iso="userDefinedMaintenanceFrequency" host="usrDefFreq" type="Duration"/>
    <map:p iso="updateScope" host="maintScp" type="code" list="MD_ScopeCode" form="ScopeCd" max="n" to3="mmi:maintenanceScope" move3="update-scope"/>
    <map:p iso="updateScopeDescription" host="upScpDesc" class="MD_ScopeDescription" max="n" to3="mmi:maintenanceScope" move3="update-scope"/>
    <map:p iso="maintenanceNote" host="maintNote" type="text" max="n"/>
    <map:p iso="contact" host="maintCont" class="CI_ResponsibleParty" max="n"/>
  </map:class>

  <!-- One of its properties, as ISO 19115 makes it a choice (@union): the
       export writes one object for each property the host element holds. -->
  <map:class name="MD_ScopeDescription" ns="gmd" union="yes" ns3="mcc"
      order3="mcc:attributes mcc:features mcc:featureInstances mcc:attributeInstances mcc:dataset mcc:other">
    <map:p iso="attributes" host="attribSet" type="ref" max="n" to3=""/>
    <map:p iso="features" host="featSet" type="ref" max="n" to3=""/>
    <map:p iso="featureInstances" host="featIntSet" type="ref" max="n" to3=""/>
    <map:p iso="attributeInstances" host="attribIntSet" type="ref" max="n" to3=""/>
    <map:p iso="dataset" host="datasetSet" type="text"/>
    <map:p iso="other" host="other" type="text"/>
  </map:class>

  <!-- ===================================================================
       Identification
       =================================================================== -->

  <!-- A data or a service identification, both as dataIdInfo: the pages read
       the citation, abstract and contacts of either there. -->
  <map:choice name="MD_Identification">
    <map:c iso="SV_ServiceIdentification" ns="srv" host="dataIdInfo"
        detect="svType svTypeVer svAccProps svRestrict svKeys svCoupRes svCouplType svOper svOperOn"/>
    <map:c iso="MD_DataIdentification" ns="gmd" host="dataIdInfo"/>
  </map:choice>

  <map:class name="AbstractMD_Identification" ns="gmd" ns3="mri">
    <map:p iso="citation" host="idCitation" class="CI_Citation" min="1"/>
    <map:p iso="abstract" host="idAbs" type="text" min="1"/>
    <map:p iso="purpose" host="idPurp" type="text"/>
    <map:p iso="credit" host="idCredit" type="text" max="n"/>
    <map:p iso="status" host="idStatus" type="code" list="MD_ProgressCode" max="n"/>
    <map:p iso="pointOfContact" host="idPoC" class="CI_ResponsibleParty.named" max="n"/>
    <map:p iso="resourceMaintenance" host="resMaint" class="MD_MaintenanceInformation" max="n"/>
    <map:p iso="graphicOverview" host="graphOver" class="MD_BrowseGraphic" max="n"/>
    <map:p iso="resourceFormat" host="dsFormat" class="MD_Format" max="n"/>
    <map:p iso="descriptiveKeywords" host="searchKeys" class="MD_Keywords" max="n"/>
    <map:p iso="resourceSpecificUsage" host="idSpecUse" class="MD_Usage" max="n"/>
    <map:p iso="resourceConstraints" host="" choice="MD_Constraints" max="n"/>
    <map:p iso="aggregationInfo" host="aggrInfo" class="MD_AggregateInformation" max="n" to3="mri:associatedResource"/>
  </map:class>

  <!-- The geographic descriptions of the first extent stand in
       dataIdInfo/geoDesc (the geographic description page reads them there),
       those of the others in their extent. -->
  <map:class name="MD_DataIdentification" ns="gmd" base="AbstractMD_Identification" ns3="mri"
      order3="mri:citation! mri:abstract! mri:purpose mri:credit mri:status mri:pointOfContact mri:spatialRepresentationType mri:spatialResolution mri:temporalResolution mri:topicCategory mri:extent mri:additionalDocumentation mri:processingLevel mri:resourceMaintenance mri:graphicOverview mri:resourceFormat mri:descriptiveKeywords mri:resourceSpecificUsage mri:resourceConstraints mri:associatedResource mri:defaultLocale mri:otherLocale mri:environmentDescription mri:supplementalInformation">
    <map:p iso="spatialRepresentationType" host="spatRpType" type="code" list="MD_SpatialRepresentationTypeCode" form="spatRepTypCd" max="n"/>
    <map:p iso="spatialResolution" host="dataScale" class="MD_Resolution" max="n"/>
    <map:p iso="language" host="dataLang" type="language" min="1" max="n" to3="mri:defaultLocale" move3="locale"/>
    <map:p iso="characterSet" host="dataChar" type="code" list="MD_CharacterSetCode" max="n" to3="mri:defaultLocale" move3="locale"/>
    <map:p iso="topicCategory" host="tpCat" type="enum" list="MD_TopicCategoryCode" form="TopicCatCd" max="n"/>
    <map:p iso="environmentDescription" host="envirDesc" type="text"/>
    <map:p iso="extent" host="dataExt" class="EX_Extent" max="n"/>
    <map:p iso="supplementalInformation" host="suppInfo" type="text"/>
  </map:class>

  <map:class name="SV_ServiceIdentification" ns="srv" base="AbstractMD_Identification" ns3="srv"
      order3="mri:citation! mri:abstract! mri:purpose mri:credit mri:status mri:pointOfContact mri:spatialRepresentationType mri:spatialResolution mri:temporalResolution mri:topicCategory mri:extent mri:additionalDocumentation mri:processingLevel mri:resourceMaintenance mri:graphicOverview mri:resourceFormat mri:descriptiveKeywords mri:resourceSpecificUsage mri:resourceConstraints mri:associatedResource srv:serviceType! srv:serviceTypeVersion srv:accessProperties srv:couplingType srv:coupledResource srv:operatedDataset srv:profile srv:serviceStandard srv:containsOperations srv:operatesOn srv:containsChain">
    <map:p iso="serviceType" host="svType" type="GenericName" min="1"/>
    <map:p iso="serviceTypeVersion" host="svTypeVer" type="text" max="n"/>
    <map:p iso="accessProperties" host="svAccProps" class="MD_StandardOrderProcess"/>
    <map:p iso="restrictions" host="svRestrict" choice="MD_Constraints" to3="mri:resourceConstraints"/>
    <map:p iso="keywords" host="svKeys" class="MD_Keywords" max="n" to3="mri:descriptiveKeywords"/>
    <map:p iso="extent" host="dataExt" class="EX_Extent" max="n" also="gmd" to3="mri:extent"/>
    <map:p iso="coupledResource" host="svCoupRes" class="SV_CoupledResource" max="n"/>
    <map:p iso="couplingType" host="svCouplType" type="code" list="SV_CouplingType" min="1"/>
    <map:p iso="containsOperations" host="svOper" class="SV_OperationMetadata" min="1" max="n"/>
    <map:p iso="operatesOn" host="svOperOn" class="MD_DataIdentification" max="n"/>
  </map:class>

  <map:class name="SV_OperationMetadata" ns="srv" ns3="srv"
      order3="srv:operationName! srv:distributedComputingPlatform! srv:operationDescription srv:invocationName srv:connectPoint! srv:parameter srv:dependsOn">
    <map:p iso="operationName" host="operName" type="text" min="1"/>
    <map:p iso="DCP" host="DCP" type="code" list="DCPList" min="1" max="n" to3="srv:distributedComputingPlatform"/>
    <map:p iso="operationDescription" host="operDesc" type="text"/>
    <map:p iso="invocationName" host="invocName" type="text"/>
    <map:p iso="connectPoint" host="connPoint" class="CI_OnlineResource" min="1" max="n"/>
    <map:p iso="dependsOn" host="dependsOn" class="SV_OperationMetadata" max="n"/>
  </map:class>

  <!-- gco:ScopedName stands in the class itself, without a property. -->
  <map:class name="SV_CoupledResource" ns="srv" ns3="srv"
      order3="srv:scopedName srv:resourceReference srv:operation srv:resource">
    <map:p iso="operationName" host="operName" type="text" min="1" to3="srv:operation" move3="coupled-operation"/>
    <map:p iso="identifier" host="coupIdent" type="text" min="1" to3="srv:resourceReference" move3="coupled-resource"/>
    <map:p iso="ScopedName" ns="gco" host="scopedName" type="inline" to3="srv:scopedName"/>
  </map:class>

  <map:class name="MD_BrowseGraphic" ns="gmd" ns3="mcc"
      order3="mcc:fileName! mcc:fileDescription mcc:fileType mcc:imageConstraints mcc:linkage">
    <map:p iso="fileName" host="bgFileName" type="text" min="1"/>
    <map:p iso="fileDescription" host="bgFileDesc" type="text"/>
    <map:p iso="fileType" host="bgFileType" type="text"/>
  </map:class>

  <map:class name="MD_Keywords" ns="gmd" ns3="mri"
      order3="mri:keyword! mri:type mri:thesaurusName mri:keywordClass">
    <map:p iso="keyword" host="keyword" type="text" min="1" max="n"/>
    <map:p iso="type" host="keyTyp" type="code" list="MD_KeywordTypeCode" form="KeyTypCd"/>
    <map:p iso="thesaurusName" host="thesaName" class="CI_Citation"/>
  </map:class>

  <map:class name="MD_Usage" ns="gmd" ns3="mri"
      order3="mri:specificUsage! mri:usageDateTime mri:userDeterminedLimitations mri:userContactInfo mri:response mri:additionalDocumentation mri:identifiedIssues">
    <map:p iso="specificUsage" host="specUsage" type="text" min="1"/>
    <map:p iso="usageDateTime" host="usageDate" type="DateTime" form3="instant"/>
    <map:p iso="userDeterminedLimitations" host="usrDetLim" type="text"/>
    <map:p iso="userContactInfo" host="usrCntInfo" class="CI_ResponsibleParty" min="1" max="n"/>
  </map:class>

  <map:class name="MD_AggregateInformation" ns="gmd" ns3="mri" iso3="MD_AssociatedResource"
      order3="mri:name mri:associationType! mri:initiativeType mri:metadataReference">
    <map:p iso="aggregateDataSetName" host="aggrDSName" class="CI_Citation" to3="mri:name"/>
    <map:p iso="aggregateDataSetIdentifier" host="aggrDSIdent" choice="MD_Identifier" to3="mri:metadataReference" move3="aggregate-identifier"/>
    <map:p iso="associationType" host="assocType" type="code" list="DS_AssociationTypeCode" form="AscTypeCd" min="1"/>
    <map:p iso="initiativeType" host="initType" type="code" list="DS_InitiativeTypeCode" form="InitTypCd"/>
  </map:class>

  <!-- One of the two, as ISO 19115 makes it a choice. -->
  <map:class name="MD_Resolution" ns="gmd" union="yes" ns3="mri"
      order3="mri:equivalentScale mri:distance mri:vertical mri:angularDistance mri:levelOfDetail">
    <map:p iso="equivalentScale" host="equScale" class="MD_RepresentativeFraction"/>
    <map:p iso="distance" host="scaleDist" type="Measure" gco="Distance"/>
  </map:class>

  <map:class name="MD_RepresentativeFraction" ns="gmd" ns3="mri"
      order3="mri:denominator!">
    <map:p iso="denominator" host="rfDenom" type="Integer" min="1"/>
  </map:class>

  <!-- ===================================================================
       Constraints
       =================================================================== -->

  <!-- A plain MD_Constraints is a LegConsts marked class="MD_Constraints",
       where the constraint page reads its use limitations. -->
  <map:choice name="MD_Constraints">
    <map:c iso="MD_LegalConstraints" ns="gmd" host="LegConsts" detect="accessConsts useConsts othConsts"/>
    <map:c iso="MD_Constraints" ns="gmd" host="LegConsts" detect=""/>
    <map:c iso="MD_LegalConstraints" ns="gmd" host="LegConsts"/>
    <map:c iso="MD_SecurityConstraints" ns="gmd" host="SecConsts"/>
  </map:choice>

  <map:class name="MD_Constraints" ns="gmd" ns3="mco"
      order3="mco:useLimitation mco:constraintApplicationScope mco:graphic mco:reference mco:releasability mco:responsibleParty">
    <map:p iso="useLimitation" host="useLimit" type="text" max="n"/>
  </map:class>

  <map:class name="MD_LegalConstraints" ns="gmd" base="MD_Constraints" ns3="mco"
      order3="mco:useLimitation mco:constraintApplicationScope mco:graphic mco:reference mco:releasability mco:responsibleParty mco:accessConstraints mco:useConstraints mco:otherConstraints">
    <map:p iso="accessConstraints" host="accessConsts" type="code" list="MD_RestrictionCode" form="RestrictCd" max="n"/>
    <map:p iso="useConstraints" host="useConsts" type="code" list="MD_RestrictionCode" form="RestrictCd" max="n"/>
    <map:p iso="otherConstraints" host="othConsts" type="text" max="n"/>
  </map:class>

  <map:class name="MD_SecurityConstraints" ns="gmd" base="MD_Constraints" ns3="mco"
      order3="mco:useLimitation mco:constraintApplicationScope mco:graphic mco:reference mco:releasability mco:responsibleParty mco:classification! mco:userNote mco:classificationSystem mco:handlingDescription">
    <map:p iso="classification" host="secClass" type="code" list="MD_ClassificationCode" form="ClasscationCd" min="1"/>
    <map:p iso="userNote" host="secUserNote" type="text"/>
    <map:p iso="classificationSystem" host="secClassSys" type="text"/>
    <map:p iso="handlingDescription" host="secHandDesc" type="text"/>
  </map:class>

  <!-- ===================================================================
       Citation, responsible party, identifier, online resource
       =================================================================== -->

  <map:class name="CI_Citation" ns="gmd" ns3="cit"
      order3="cit:title! cit:alternateTitle cit:date cit:edition cit:editionDate cit:identifier cit:citedResponsibleParty cit:presentationForm cit:series cit:otherCitationDetails cit:ISBN cit:ISSN cit:onlineResource cit:graphic">
    <map:p iso="title" host="resTitle" type="text" min="1"/>
    <map:p iso="alternateTitle" host="resAltTitle" type="text" max="n"/>
    <map:p iso="date" host="resRefDate" class="CI_Date" min="1" max="n"/>
    <map:p iso="edition" host="resEd" type="text"/>
    <map:p iso="editionDate" host="resEdDate" type="Date" form3="datetime"/>
    <map:p iso="identifier" host="citId" choice="MD_Identifier" max="n"/>
    <map:p iso="citedResponsibleParty" host="citRespParty" class="CI_ResponsibleParty" max="n"/>
    <map:p iso="presentationForm" host="presForm" type="code" list="CI_PresentationFormCode" form="PresFormCd" max="n"/>
    <map:p iso="series" host="datasetSeries" class="CI_Series"/>
    <map:p iso="otherCitationDetails" host="otherCitDet" type="text"/>
    <map:p iso="collectiveTitle" host="collTitle" type="text" to3=""/>
    <map:p iso="ISBN" host="isbn" type="text"/>
    <map:p iso="ISSN" host="issn" type="text"/>
  </map:class>

  <map:class name="CI_Date" ns="gmd" tw="yes" ns3="cit"
      order3="cit:date! cit:dateType!">
    <map:p iso="date" host="refDate" type="Date" min="1"/>
    <map:p iso="dateType" host="refDateType" type="code" list="CI_DateTypeCode" form="DateTypCd" min="1"/>
  </map:class>

  <map:class name="CI_Series" ns="gmd" ns3="cit"
      order3="cit:name cit:issueIdentification cit:page">
    <map:p iso="name" host="seriesName" type="text"/>
    <map:p iso="issueIdentification" host="issId" type="text"/>
    <map:p iso="page" host="artPage" type="text"/>
  </map:class>

  <map:class name="CI_ResponsibleParty" ns="gmd" ns3="cit" iso3="CI_Responsibility"
      order3="cit:role! cit:extent cit:party!">
    <map:p iso="individualName" host="rpIndName" type="text"/>
    <map:p iso="organisationName" host="rpOrgName" type="text"/>
    <map:p iso="positionName" host="rpPosName" type="text"/>
    <map:p iso="contactInfo" host="rpCntInfo" class="CI_Contact"/>
    <map:p iso="role" host="role" type="code" list="CI_RoleCode" form="RoleCd" min="1"/>
  </map:class>

  <!-- The points of contact keep their role as a name, as the contact page
       writes it. -->
  <map:class name="CI_ResponsibleParty.named" iso="CI_ResponsibleParty" ns="gmd" ns3="cit" iso3="CI_Responsibility"
      order3="cit:role! cit:extent cit:party!">
    <map:p iso="individualName" host="rpIndName" type="text"/>
    <map:p iso="organisationName" host="rpOrgName" type="text"/>
    <map:p iso="positionName" host="rpPosName" type="text"/>
    <map:p iso="contactInfo" host="rpCntInfo" class="CI_Contact"/>
    <map:p iso="role" host="role" type="code" list="CI_RoleCode" min="1"/>
  </map:class>

  <map:class name="CI_Contact" ns="gmd" ns3="cit"
      order3="cit:phone cit:address cit:onlineResource cit:hoursOfService cit:contactInstructions cit:contactType">
    <map:p iso="phone" host="cntPhone" class="CI_Telephone" move3="phones"/>
    <map:p iso="address" host="cntAddress" class="CI_Address"/>
    <map:p iso="onlineResource" host="cntOnlineRes" class="CI_OnlineResource"/>
    <map:p iso="hoursOfService" host="cntHours" type="text"/>
    <map:p iso="contactInstructions" host="cntInstr" type="text"/>
  </map:class>

  <map:class name="CI_Telephone" ns="gmd" ns3="cit"
      order3="cit:number! cit:numberType">
    <map:p iso="voice" host="voiceNum" type="text" max="n"/>
    <map:p iso="facsimile" host="faxNum" type="text" max="n"/>
  </map:class>

  <map:class name="CI_Address" ns="gmd" ns3="cit"
      order3="cit:deliveryPoint cit:city cit:administrativeArea cit:postalCode cit:country cit:electronicMailAddress">
    <map:p iso="deliveryPoint" host="delPoint" type="text" max="n"/>
    <map:p iso="city" host="city" type="text"/>
    <map:p iso="administrativeArea" host="adminArea" type="text"/>
    <map:p iso="postalCode" host="postCode" type="text"/>
    <map:p iso="country" host="country" type="text"/>
    <map:p iso="electronicMailAddress" host="eMailAdd" type="text" max="n"/>
  </map:class>

  <map:class name="CI_OnlineResource" ns="gmd" ns3="cit"
      order3="cit:linkage! cit:protocol cit:applicationProfile cit:name cit:description cit:function cit:protocolRequest">
    <map:p iso="linkage" host="linkage" type="URL" min="1"/>
    <map:p iso="protocol" host="protocol" type="text"/>
    <map:p iso="applicationProfile" host="appProfile" type="text"/>
    <map:p iso="name" host="orName" type="text"/>
    <map:p iso="description" host="orDesc" type="text"/>
    <map:p iso="function" host="orFunct" type="code" list="CI_OnLineFunctionCode" form="OnFunctCd"/>
  </map:class>

  <!-- An RS_Identifier where it has a code space or a version. -->
  <map:choice name="MD_Identifier">
    <map:c iso="RS_Identifier" ns="gmd" host="" detect="idCodeSpace idVersion"/>
    <map:c iso="MD_Identifier" ns="gmd" host=""/>
  </map:choice>

  <map:class name="MD_Identifier" ns="gmd" ns3="mcc"
      order3="mcc:authority mcc:code! mcc:codeSpace mcc:version mcc:description">
    <map:p iso="authority" host="identAuth" class="CI_Citation"/>
    <map:p iso="code" host="identCode" type="text" min="1"/>
  </map:class>

  <map:class name="RS_Identifier" ns="gmd" base="MD_Identifier" ns3="mcc" iso3="MD_Identifier"
      order3="mcc:authority mcc:code! mcc:codeSpace mcc:version mcc:description">
    <map:p iso="codeSpace" host="idCodeSpace" type="text"/>
    <map:p iso="version" host="idVersion" type="text"/>
  </map:class>

  <!-- ===================================================================
       Extent
       =================================================================== -->

  <map:class name="EX_Extent" ns="gmd" ns3="gex"
      order3="gex:description gex:geographicElement gex:temporalElement gex:verticalElement">
    <map:p iso="description" host="exDesc" type="text"/>
    <map:p iso="geographicElement" host="geoEle" choice="EX_GeographicExtent" max="n"/>
    <map:p iso="temporalElement" host="tempEle" choice="EX_TemporalExtent" max="n"/>
    <map:p iso="verticalElement" host="vertEle" class="EX_VerticalExtent" max="n"/>
  </map:class>

  <!-- The quality scope's extent, in the shape its page reads. -->
  <map:class name="EX_Extent.scope" iso="EX_Extent" ns="gmd" ns3="gex"
      order3="gex:description gex:geographicElement gex:temporalElement gex:verticalElement">
    <map:p iso="description" host="exDescr" type="text"/>
    <map:p iso="geographicElement" host="" choice="EX_GeographicExtent" max="n"/>
    <map:p iso="temporalElement" host="tempEle" choice="EX_TemporalExtent" max="n"/>
    <map:p iso="verticalElement" host="vertEle" class="EX_VerticalExtent" max="n"/>
  </map:class>

  <map:choice name="EX_GeographicExtent">
    <map:c iso="EX_GeographicBoundingBox" ns="gmd" host="GeoBndBox"/>
    <map:c iso="EX_BoundingPolygon" ns="gmd" host="BoundPoly"/>
    <map:c iso="EX_GeographicDescription" ns="gmd" host="GeoDesc"/>
  </map:choice>

  <map:class name="AbstractEX_GeographicExtent" ns="gmd" ns3="gex">
    <map:p iso="extentTypeCode" host="exTypeCode" type="Boolean"/>
  </map:class>

  <!-- The altitude bounds are the project's own (tw:EX_GeographicBoundingBox). -->
  <map:class name="EX_GeographicBoundingBox" ns="gmd" base="AbstractEX_GeographicExtent" tw="yes" ns3="gex"
      order3="gex:extentTypeCode gex:westBoundLongitude! gex:eastBoundLongitude! gex:southBoundLatitude! gex:northBoundLatitude! tw3:altitudeBoundLongitude tw3:altitudeBoundLatitude">
    <map:p iso="westBoundLongitude" host="westBL" type="Decimal" min="1"/>
    <map:p iso="eastBoundLongitude" host="eastBL" type="Decimal" min="1"/>
    <map:p iso="southBoundLatitude" host="southBL" type="Decimal" min="1"/>
    <map:p iso="northBoundLatitude" host="northBL" type="Decimal" min="1"/>
    <map:p iso="altitudeBoundLongitude" ns="tw" host="altiBoundLongitude" type="text" to3="tw3:altitudeBoundLongitude"/>
    <map:p iso="altitudeBoundLatitude" ns="tw" host="altiBoundLatitude" type="text" to3="tw3:altitudeBoundLatitude"/>
  </map:class>

  <map:class name="EX_BoundingPolygon" ns="gmd" base="AbstractEX_GeographicExtent" ns3="gex"
      order3="gex:extentTypeCode gex:polygon!">
    <map:p iso="polygon" host="polygon" type="polygon" min="1" max="n"/>
  </map:class>

  <map:class name="EX_GeographicDescription" ns="gmd" base="AbstractEX_GeographicExtent" tw="yes" ns3="gex"
      order3="gex:extentTypeCode gex:geographicIdentifier!">
    <map:p iso="geographicIdentifier" host="geoId" choice="MD_Identifier" min="1"/>
  </map:class>

  <map:choice name="EX_TemporalExtent">
    <map:c iso="EX_SpatialTemporalExtent" ns="gmd" host="exSpTemp"/>
    <map:c iso="EX_TemporalExtent" ns="gmd" host="exTemp"/>
  </map:choice>

  <map:class name="EX_TemporalExtent" ns="gmd" tw="yes" ns3="gex"
      order3="gex:extent!">
    <map:p iso="extent" host="" type="time" min="1"/>
  </map:class>

  <map:class name="EX_SpatialTemporalExtent" ns="gmd" base="EX_TemporalExtent" ns3="gex"
      order3="gex:extent! gex:verticalExtent gex:spatialExtent!">
    <map:p iso="spatialExtent" host="geoEle" choice="EX_GeographicExtent" min="1" max="n"/>
  </map:class>

  <!-- The unit of the values is the project's own (tw:EX_VerticalExtent). -->
  <map:class name="EX_VerticalExtent" ns="gmd" tw="yes" ns3="gex"
      order3="gex:minimumValue! gex:maximumValue! gex:verticalCRSId gex:verticalCRS tw3:unitOfMeasure">
    <map:p iso="minimumValue" host="vertMinVal" type="Real" min="1"/>
    <map:p iso="maximumValue" host="vertMaxVal" type="Real" min="1"/>
    <map:p iso="verticalCRS" host="vertCRS" type="href" min="1"/>
    <map:p iso="unitOfMeasure" ns="tw" host="vertUoM" type="text" to3="tw3:unitOfMeasure"/>
  </map:class>

  <!-- ===================================================================
       Reference system
       =================================================================== -->

  <!-- Both as MdCoRefSys. The export writes the identifier of a MdCoRefSys
       that also holds a projection, ellipsoid or datum in a plain
       MD_ReferenceSystem, and those in a second entry, tw:MD_CRS. -->
  <map:choice name="MD_ReferenceSystem">
    <map:c iso="MD_CRS" ns="tw" host="MdCoRefSys" detect="projection ellipsoid datum ellParas projParas"/>
    <map:c iso="MD_ReferenceSystem" ns="gmd" host="MdCoRefSys"/>
  </map:choice>

  <map:class name="MD_ReferenceSystem" ns="gmd" ns3="mrs"
      order3="mrs:referenceSystemIdentifier mrs:referenceSystemType">
    <map:p iso="referenceSystemIdentifier" host="refSysId" class="RS_Identifier"/>
  </map:class>

  <!-- ISO 19115's description of a coordinate reference system, which
       ISO 19139 left out: the project's own. -->
  <map:class name="MD_CRS" ns="tw" base="MD_ReferenceSystem" ns3="tw3"
      order3="mrs:referenceSystemIdentifier mrs:referenceSystemType tw3:projection tw3:ellipsoid tw3:datum tw3:ellipsoidParameters tw3:projectionParameters">
    <map:p iso="projection" host="projection" class="RS_Identifier"/>
    <map:p iso="ellipsoid" host="ellipsoid" class="RS_Identifier"/>
    <map:p iso="datum" host="datum" class="RS_Identifier"/>
    <map:p iso="ellipsoidParameters" host="ellParas" class="MD_EllipsoidParameters"/>
    <map:p iso="projectionParameters" host="projParas" class="MD_ProjectionParameters"/>
  </map:class>

  <map:class name="MD_ProjectionParameters" ns="tw" ns3="tw3">
    <map:p iso="zone" host="zone" type="text"/>
    <map:p iso="standardParallel" host="stanParal" type="text"/>
    <map:p iso="longitudeOfCentralMeridian" host="longCntMer" type="text"/>
    <map:p iso="latitudeOfProjectionOrigin" host="latProjOri" type="text"/>
    <map:p iso="falseEasting" host="falEastng" type="text"/>
    <map:p iso="falseNorthing" host="falNorthng" type="text"/>
    <map:p iso="falseEastingNorthingUnits" host="falENUnits" type="text"/>
    <map:p iso="scaleFactorAtEquator" host="sclFacEqu" type="text"/>
    <map:p iso="heightOfProspectivePointAboveSurface" host="hgtProsPt" type="text"/>
    <map:p iso="longitudeOfProjectionCenter" host="longProjCnt" type="text"/>
    <map:p iso="latitudeOfProjectionCenter" host="latProjCnt" type="text"/>
    <map:p iso="scaleFactorAtCenterLine" host="sclFacCnt" type="text"/>
    <map:p iso="straightVerticalLongitudeFromPole" host="stVrLongPl" type="text"/>
    <map:p iso="scaleFactorAtProjectionOrigin" host="sclFacPrOr" type="text"/>
  </map:class>

  <map:class name="MD_EllipsoidParameters" ns="tw" ns3="tw3">
    <map:p iso="semiMajorAxis" host="semiMajAx" type="text"/>
    <map:p iso="axisUnits" host="axisUnits" type="text"/>
    <map:p iso="denominatorOfFlatteningRatio" host="denFlatRat" type="text"/>
  </map:class>

  <!-- ===================================================================
       Spatial representation
       =================================================================== -->

  <!-- Georectified and georeferenceable grids are GridSpatRep too, where the
       grid page reads them. -->
  <map:choice name="MD_SpatialRepresentation">
    <map:c iso="MD_Georectified" ns="gmd" host="GridSpatRep"
        detect="chkPtAv chkPtDesc cornerPts centerPt ptInPixel transDimDesc transDimMap"/>
    <map:c iso="MD_Georeferenceable" ns="gmd" host="GridSpatRep"
        detect="ctrlPtAv orieParaAv orieParaDs georefPars paraCit"/>
    <map:c iso="MD_GridSpatialRepresentation" ns="gmd" host="GridSpatRep"/>
    <map:c iso="MD_VectorSpatialRepresentation" ns="gmd" host="VectSpatRep"/>
  </map:choice>

  <map:class name="MD_GridSpatialRepresentation" ns="gmd" tw="yes" ns3="msr"
      order3="msr:scope msr:numberOfDimensions! msr:axisDimensionProperties msr:cellGeometry! msr:transformationParameterAvailability!">
    <map:p iso="numberOfDimensions" host="numDims" type="Integer" min="1"/>
    <map:p iso="axisDimensionProperties" host="axDimProps" class="MD_Dimension" max="n"/>
    <map:p iso="cellGeometry" host="cellGeo" type="code" list="MD_CellGeometryCode" min="1"/>
    <map:p iso="transformationParameterAvailability" host="tranParaAv" type="Boolean" min="1"/>
  </map:class>

  <map:class name="MD_Georectified" ns="gmd" base="MD_GridSpatialRepresentation" ns3="msr"
      order3="msr:scope msr:numberOfDimensions! msr:axisDimensionProperties msr:cellGeometry! msr:transformationParameterAvailability! msr:checkPointAvailability! msr:checkPointDescription msr:cornerPoints!! msr:centrePoint msr:pointInPixel! msr:transformationDimensionDescription msr:transformationDimensionMapping">
    <map:p iso="checkPointAvailability" host="chkPtAv" type="Boolean" min="1"/>
    <map:p iso="checkPointDescription" host="chkPtDesc" type="text"/>
    <map:p iso="cornerPoints" host="cornerPts" type="point" max="n"/>
    <map:p iso="centerPoint" host="centerPt" type="point" to3="msr:centrePoint"/>
    <map:p iso="pointInPixel" host="ptInPixel" type="enum" list="MD_PixelOrientationCode" min="1"/>
    <map:p iso="transformationDimensionDescription" host="transDimDesc" type="text"/>
    <map:p iso="transformationDimensionMapping" host="transDimMap" type="text" max="n"/>
  </map:class>

  <map:class name="MD_Georeferenceable" ns="gmd" base="MD_GridSpatialRepresentation" ns3="msr"
      order3="msr:scope msr:numberOfDimensions! msr:axisDimensionProperties msr:cellGeometry! msr:transformationParameterAvailability! msr:controlPointAvailability! msr:orientationParameterAvailability! msr:orientationParameterDescription msr:georeferencedParameters! msr:parameterCitation">
    <map:p iso="controlPointAvailability" host="ctrlPtAv" type="Boolean" min="1"/>
    <map:p iso="orientationParameterAvailability" host="orieParaAv" type="Boolean" min="1"/>
    <map:p iso="orientationParameterDescription" host="orieParaDs" type="text"/>
    <map:p iso="georeferencedParameters" host="georefPars" type="Record" min="1"/>
    <map:p iso="parameterCitation" host="paraCit" class="CI_Citation" max="n"/>
  </map:class>

  <map:class name="MD_Dimension" ns="gmd" tw="yes" ns3="msr"
      order3="msr:dimensionName! msr:dimensionSize! msr:resolution msr:dimensionTitle msr:dimensionDescription">
    <map:p iso="dimensionName" host="dimName" type="code" list="MD_DimensionNameTypeCode" min="1"/>
    <map:p iso="dimensionSize" host="dimSize" type="Integer" min="1"/>
    <map:p iso="resolution" host="dimResol" type="Measure"/>
  </map:class>

  <map:class name="MD_VectorSpatialRepresentation" ns="gmd" ns3="msr"
      order3="msr:scope msr:topologyLevel msr:geometricObjects">
    <map:p iso="topologyLevel" host="topLvl" type="code" list="MD_TopologyLevelCode"/>
    <map:p iso="geometricObjects" host="geometObjs" class="MD_GeometricObjects" max="n"/>
  </map:class>

  <map:class name="MD_GeometricObjects" ns="gmd" tw="yes" ns3="msr"
      order3="msr:geometricObjectType! msr:geometricObjectCount">
    <map:p iso="geometricObjectType" host="geoObjTyp" type="code" list="MD_GeometricObjectTypeCode" min="1"/>
    <map:p iso="geometricObjectCount" host="geoObjCnt" type="Integer"/>
  </map:class>

  <!-- ===================================================================
       Content
       =================================================================== -->

  <map:choice name="MD_ContentInformation">
    <map:c iso="MD_FeatureCatalogueDescription" ns="gmd" host="FetCatDesc"/>
    <map:c iso="MD_ImageDescription" ns="gmd" host="ImgDesc"/>
    <map:c iso="MD_CoverageDescription" ns="gmd" host="CovDesc"/>
  </map:choice>

  <map:class name="MD_FeatureCatalogueDescription" ns="gmd" ns3="mrc"
      order3="mrc:complianceCode mrc:locale mrc:includedWithDataset mrc:featureTypes mrc:featureCatalogueCitation">
    <map:p iso="complianceCode" host="compCode" type="Boolean"/>
    <map:p iso="language" host="catLang" type="language" max="n" to3="mrc:locale" move3="locale"/>
    <map:p iso="includedWithDataset" host="incWithDS" type="Boolean" min="1"/>
    <map:p iso="featureTypes" host="catFetTyps" type="GenericName" max="n" wrap3="mrc:MD_FeatureTypeInfo/mrc:featureTypeName"/>
    <map:p iso="featureCatalogueCitation" host="catCitation" class="CI_Citation" min="1" max="n"/>
  </map:class>

  <map:class name="MD_CoverageDescription" ns="gmd" ns3="mrc"
      order3="mrc:attributeDescription! mrc:processingLevelCode mrc:attributeGroup">
    <map:p iso="attributeDescription" host="attDesc" type="RecordType" min="1"/>
    <map:p iso="contentType" host="contentTyp" type="code" list="MD_CoverageContentTypeCode" form="ContentTypCd" min="1" to3="mrc:attributeGroup" move3="attribute-group"/>
    <map:p iso="dimension" host="covDim" choice="MD_RangeDimension" max="n" to3="mrc:attributeGroup" move3="attribute-group"/>
  </map:class>

  <map:class name="MD_ImageDescription" ns="gmd" base="MD_CoverageDescription" ns3="mrc"
      order3="mrc:attributeDescription! mrc:processingLevelCode mrc:attributeGroup mrc:illuminationElevationAngle mrc:illuminationAzimuthAngle mrc:imagingCondition mrc:imageQualityCode mrc:cloudCoverPercentage mrc:compressionGenerationQuantity mrc:triangulationIndicator mrc:radiometricCalibrationDataAvailability mrc:cameraCalibrationInformationAvailability mrc:filmDistortionInformationAvailability mrc:lensDistortionInformationAvailability">
    <map:p iso="illuminationElevationAngle" host="illElevAng" type="Real"/>
    <map:p iso="illuminationAzimuthAngle" host="illAziAng" type="Real"/>
    <map:p iso="imagingCondition" host="imagCond" type="code" list="MD_ImagingConditionCode" form="ImgCondCd"/>
    <map:p iso="imageQualityCode" host="imagQuCode" choice="MD_Identifier"/>
    <map:p iso="cloudCoverPercentage" host="cloudCovPer" type="Real"/>
    <map:p iso="processingLevelCode" host="prcTypCde" choice="MD_Identifier"/>
    <map:p iso="compressionGenerationQuantity" host="cmpGenQuan" type="Integer"/>
    <map:p iso="triangulationIndicator" host="trianInd" type="Boolean"/>
    <map:p iso="radiometricCalibrationDataAvailability" host="radCalDatAv" type="Boolean"/>
    <map:p iso="cameraCalibrationInformationAvailability" host="camCalInAv" type="Boolean"/>
    <map:p iso="filmDistortionInformationAvailability" host="filmDistInAv" type="Boolean"/>
    <map:p iso="lensDistortionInformationAvailability" host="lensDistInAv" type="Boolean"/>
  </map:class>

  <map:choice name="MD_RangeDimension">
    <map:c iso="MD_Band" ns="gmd" host="Band"/>
    <map:c iso="MD_RangeDimension" ns="gmd" host="RangeDim"/>
  </map:choice>

  <map:class name="MD_RangeDimension" ns="gmd" ns3="mrc"
      order3="mrc:sequenceIdentifier mrc:description mrc:name">
    <map:p iso="sequenceIdentifier" host="seqID" type="MemberName"/>
    <map:p iso="descriptor" host="dimDescrp" type="text" to3="mrc:description"/>
  </map:class>

  <map:class name="MD_Band" ns="gmd" base="MD_RangeDimension" ns3="mrc"
      order3="mrc:sequenceIdentifier mrc:description mrc:name mrc:maxValue mrc:minValue mrc:units mrc:scaleFactor mrc:offset mrc:meanValue mrc:numberOfValues mrc:standardDeviation mrc:otherPropertyType mrc:otherProperty mrc:bitsPerValue mrc:rangeElementDescription mrc:boundMax mrc:boundMin mrc:boundUnits mrc:peakResponse mrc:toneGradation">
    <map:p iso="maxValue" host="maxVal" type="Real"/>
    <map:p iso="minValue" host="minVal" type="Real"/>
    <map:p iso="units" host="valUnit" type="unit"/>
    <map:p iso="peakResponse" host="pkResp" type="Real"/>
    <map:p iso="bitsPerValue" host="bitsPerVal" type="Integer"/>
    <map:p iso="toneGradation" host="toneGrad" type="Integer"/>
    <map:p iso="scaleFactor" host="sclFac" type="Real"/>
    <map:p iso="offset" host="offset" type="Real"/>
  </map:class>

  <!-- ===================================================================
       Distribution
       =================================================================== -->

  <map:class name="MD_Distribution" ns="gmd" ns3="mrd"
      order3="mrd:description mrd:distributionFormat mrd:distributor mrd:transferOptions">
    <map:p iso="distributionFormat" host="distFormat" class="MD_Format" max="n"/>
    <map:p iso="distributor" host="distributor" class="MD_Distributor" max="n"/>
    <map:p iso="transferOptions" host="distTranOps" class="MD_DigitalTransferOptions" max="n"/>
  </map:class>

  <map:class name="MD_Format" ns="gmd" ns3="mrd"
      order3="mrd:formatSpecificationCitation! mrd:amendmentNumber mrd:fileDecompressionTechnique mrd:medium mrd:formatDistributor">
    <map:p iso="name" host="formatName" type="text" min="1" to3="mrd:formatSpecificationCitation" move3="format-citation"/>
    <map:p iso="version" host="formatVer" type="text" min="1" to3="mrd:formatSpecificationCitation" move3="format-citation"/>
    <map:p iso="amendmentNumber" host="formatAmdNum" type="text"/>
    <map:p iso="specification" host="formatSpec" type="text" to3="mrd:formatSpecificationCitation" move3="format-citation"/>
    <map:p iso="fileDecompressionTechnique" host="fileDecmTech" type="text"/>
    <map:p iso="formatDistributor" host="formatDist" class="MD_Distributor" max="n"/>
  </map:class>

  <map:class name="MD_Distributor" ns="gmd" ns3="mrd"
      order3="mrd:distributorContact! mrd:distributionOrderProcess mrd:distributorFormat mrd:distributorTransferOptions">
    <map:p iso="distributorContact" host="distorCont" class="CI_ResponsibleParty" min="1"/>
    <map:p iso="distributionOrderProcess" host="distorOrdPrc" class="MD_StandardOrderProcess" max="n"/>
    <map:p iso="distributorFormat" host="distorFormat" class="MD_Format" max="n"/>
    <map:p iso="distributorTransferOptions" host="distorTran" class="MD_DigitalTransferOptions" max="n"/>
  </map:class>

  <map:class name="MD_DigitalTransferOptions" ns="gmd" ns3="mrd"
      order3="mrd:unitsOfDistribution mrd:transferSize mrd:onLine mrd:offLine mrd:transferFrequency mrd:distributionFormat">
    <map:p iso="unitsOfDistribution" host="unitsODist" type="text"/>
    <map:p iso="transferSize" host="transSize" type="Real"/>
    <map:p iso="onLine" host="onLineSrc" class="CI_OnlineResource" max="n"/>
    <map:p iso="offLine" host="offLineMed" class="MD_Medium"/>
  </map:class>

  <map:class name="MD_Medium" ns="gmd" ns3="mrd"
      order3="mrd:name mrd:density mrd:densityUnits mrd:volumes mrd:mediumFormat mrd:mediumNote mrd:identifier">
    <map:p iso="name" host="medName" type="code" list="MD_MediumNameCode" form="MedNameCd" move3="medium-name"/>
    <map:p iso="density" host="medDensity" type="Real" max="n" max3="1"/>
    <map:p iso="densityUnits" host="medDenUnits" type="text"/>
    <map:p iso="volumes" host="medVol" type="Integer"/>
    <map:p iso="mediumFormat" host="medFormat" type="code" list="MD_MediumFormatCode" form="MedFormCd" max="n"/>
    <map:p iso="mediumNote" host="medNote" type="text"/>
  </map:class>

  <map:class name="MD_StandardOrderProcess" ns="gmd" ns3="mrd"
      order3="mrd:fees mrd:plannedAvailableDateTime mrd:orderingInstructions mrd:turnaround mrd:orderOptionsType mrd:orderOptions">
    <map:p iso="fees" host="resFees" type="text"/>
    <map:p iso="plannedAvailableDateTime" host="planAvDtTm" type="DateTime"/>
    <map:p iso="orderingInstructions" host="ordInstr" type="text"/>
    <map:p iso="turnaround" host="ordTurn" type="text"/>
  </map:class>

  <!-- ===================================================================
       Data quality
       =================================================================== -->

  <map:class name="DQ_DataQuality" ns="gmd" ns3="mdq"
      order3="mdq:scope! mdq:standaloneQualityReport mdq:report!">
    <map:p iso="scope" host="dqScope" class="DQ_Scope" min="1"/>
    <map:p iso="report" host="" choice="DQ_Element" max="n"/>
    <map:p iso="lineage" host="dataLineage" class="LI_Lineage" to3="mdb:resourceLineage" move3="quality"/>
  </map:class>

  <map:class name="DQ_Scope" ns="gmd" ns3="mcc" iso3="MD_Scope"
      order3="mcc:level! mcc:extent mcc:levelDescription">
    <map:p iso="level" host="scpLvl" type="code" list="MD_ScopeCode" form="ScopeCd" min="1"/>
    <map:p iso="extent" host="scpExt" class="EX_Extent.scope"/>
    <map:p iso="levelDescription" host="scpLvlDesc" class="MD_ScopeDescription" max="n"/>
  </map:class>

  <!-- The fifteen quality elements: the host's element for each ISO class. -->
  <map:choice name="DQ_Element">
    <map:c iso="DQ_CompletenessOmission" ns="gmd" host="DQCompOm" table="DQ_Element"/>
    <map:c iso="DQ_CompletenessCommission" ns="gmd" host="DQCompleteComm" table="DQ_Element"/>
    <map:c iso="DQ_ConceptualConsistency" ns="gmd" host="DQConcConsis" table="DQ_Element"/>
    <map:c iso="DQ_DomainConsistency" ns="gmd" host="DQDomConsis" table="DQ_Element"/>
    <map:c iso="DQ_FormatConsistency" ns="gmd" host="DQFormConsis" table="DQ_Element"/>
    <map:c iso="DQ_TopologicalConsistency" ns="gmd" host="DQTopConsis" table="DQ_Element"/>
    <map:c iso="DQ_AbsoluteExternalPositionalAccuracy" ns="gmd" host="DQAbsExtPosAcc" table="DQ_Element"/>
    <map:c iso="DQ_GriddedDataPositionalAccuracy" ns="gmd" host="DQGridDataPosAcc" table="DQ_Element"/>
    <map:c iso="DQ_RelativeInternalPositionalAccuracy" ns="gmd" host="DQRelIntPosAcc" table="DQ_Element"/>
    <map:c iso="DQ_AccuracyOfATimeMeasurement" ns="gmd" host="DQAccTimeMeas" table="DQ_Element"/>
    <map:c iso="DQ_TemporalConsistency" ns="gmd" host="DQTempConsis" table="DQ_Element"/>
    <map:c iso="DQ_TemporalValidity" ns="gmd" host="DQTempValid" table="DQ_Element"/>
    <map:c iso="DQ_ThematicClassificationCorrectness" ns="gmd" host="DQThemClassCor" table="DQ_Element"/>
    <map:c iso="DQ_NonQuantitativeAttributeAccuracy" iso3="DQ_NonQuantitativeAttributeCorrectness" ns="gmd" host="DQNonQuanAttAcc" table="DQ_Element"/>
    <map:c iso="DQ_QuantitativeAttributeAccuracy" ns="gmd" host="DQQuanAttAcc" table="DQ_Element"/>
  </map:choice>

  <!-- The properties all fifteen share; each has this table. -->
  <map:class name="DQ_Element" ns="gmd" tw="yes" ns3="mdq"
      order3="dqc:dateTime mdq:standaloneQualityReportDetails mdq:measure mdq:evaluationMethod mdq:result! mdq:derivedElement">
    <map:p iso="nameOfMeasure" host="measName" type="text" max="n" to3="mdq:measure" move3="measure"/>
    <map:p iso="measureIdentification" host="measId" choice="MD_Identifier" to3="mdq:measure" move3="measure"/>
    <map:p iso="measureDescription" host="measDesc" type="text" to3="mdq:measure" move3="measure"/>
    <map:p iso="evaluationMethodType" host="evalMethType" type="code" list="DQ_EvaluationMethodTypeCode" to3="mdq:evaluationMethod" move3="evaluation"/>
    <map:p iso="evaluationMethodDescription" host="evalMethDesc" type="text" to3="mdq:evaluationMethod" move3="evaluation"/>
    <map:p iso="evaluationProcedure" host="evalProc" class="CI_Citation" to3="mdq:evaluationMethod" move3="evaluation"/>
    <map:p iso="dateTime" host="measDateTm" type="DateTime" max="n" to3="mdq:evaluationMethod" move3="evaluation"/>
    <map:p iso="result" host="" choice="DQ_Result" min="1" max="n"/>
  </map:class>

  <map:choice name="DQ_Result">
    <map:c iso="DQ_ConformanceResult" ns="gmd" host="ConResult"/>
    <map:c iso="DQ_QuantitativeResult" ns="gmd" host="QuanResult"/>
  </map:choice>

  <map:class name="DQ_ConformanceResult" ns="gmd" tw="yes" ns3="mdq"
      order3="mdq:dateTime mdq:resultScope mdq:specification! mdq:explanation mdq:pass!">
    <map:p iso="specification" host="conSpec" class="CI_Citation" min="1"/>
    <map:p iso="explanation" host="conExpl" type="text" min="1"/>
    <map:p iso="pass" host="conPass" type="Boolean" min="1"/>
  </map:class>

  <map:class name="DQ_QuantitativeResult" ns="gmd" ns3="mdq"
      order3="mdq:dateTime mdq:resultScope mdq:value! mdq:valueUnit mdq:valueRecordType">
    <map:p iso="valueType" host="quanValType" type="RecordType" to3="mdq:valueRecordType"/>
    <map:p iso="valueUnit" host="UomScale" type="unit" min="1"/>
    <map:p iso="errorStatistic" host="errStat" type="text" to3=""/>
    <map:p iso="value" host="quanVal" type="Record" min="1" max="n"/>
  </map:class>

  <map:class name="LI_Lineage" ns="gmd" ns3="mrl"
      order3="mrl:statement mrl:scope mrl:additionalDocumentation mrl:source mrl:processStep">
    <map:p iso="statement" host="statement" type="text"/>
    <map:p iso="processStep" host="prcStep" class="LI_ProcessStep" max="n"/>
    <map:p iso="source" host="dataSource" class="LI_Source" max="n"/>
  </map:class>

  <map:class name="LI_ProcessStep" ns="gmd" ns3="mrl"
      order3="mrl:description! mrl:rationale mrl:stepDateTime mrl:processor mrl:reference mrl:scope mrl:source">
    <map:p iso="description" host="stepDesc" type="text" min="1"/>
    <map:p iso="rationale" host="stepRat" type="text"/>
    <map:p iso="dateTime" host="stepDateTm" type="DateTime" to3="mrl:stepDateTime" form3="instant"/>
    <map:p iso="processor" host="stepProc" class="CI_ResponsibleParty" max="n"/>
    <map:p iso="source" host="stepSrc" class="LI_Source" max="n"/>
  </map:class>

  <map:class name="LI_Source" ns="gmd" ns3="mrl"
      order3="mrl:description mrl:sourceSpatialResolution mrl:sourceReferenceSystem mrl:sourceCitation mrl:sourceMetadata mrl:scope mrl:sourceStep">
    <map:p iso="description" host="srcDesc" type="text"/>
    <map:p iso="scaleDenominator" host="srcScale" class="MD_RepresentativeFraction" to3="mrl:sourceSpatialResolution" wrap3="mri:MD_Resolution/mri:equivalentScale"/>
    <map:p iso="sourceReferenceSystem" host="srcRefSys" class="MD_ReferenceSystem"/>
    <map:p iso="sourceCitation" host="srcCitatn" class="CI_Citation"/>
    <map:p iso="sourceExtent" host="srcExt" class="EX_Extent" max="n" to3=""/>
    <map:p iso="sourceStep" host="srcStep" class="LI_ProcessStep" max="n"/>
  </map:class>

  <!-- ===================================================================
       Acquisition (ISO 19115-2)
       =================================================================== -->

  <map:class name="MI_AcquisitionInformation" ns="gmi" ns3="mac"
      order3="mac:scope mac:instrument mac:operation mac:platform mac:acquisitionPlan mac:objective mac:acquisitionRequirement mac:environmentalConditions">
    <map:p iso="instrument" host="acqInstru" class="MI_Instrument" max="n"/>
    <map:p iso="platform" host="acqPlat" class="MI_Platform" max="n"/>
  </map:class>

  <map:class name="MI_Instrument" ns="gmi" ns3="mac"
      order3="mac:citation mac:identifier! mac:type! mac:description mac:mountedOn mac:otherPropertyType mac:otherProperty mac:sensor mac:history">
    <map:p iso="citation" host="instCit" class="CI_Citation" max="n"/>
    <map:p iso="identifier" host="instId" choice="MD_Identifier" min="1"/>
    <map:p iso="type" host="instType" type="text" min="1"/>
    <map:p iso="description" host="instDesc" type="text"/>
    <map:p iso="mountedOn" host="instMount" class="MI_Platform"/>
  </map:class>

  <map:class name="MI_Platform" ns="gmi" ns3="mac"
      order3="mac:citation mac:identifier! mac:description! mac:sponsor mac:instrument! mac:otherPropertyType mac:otherProperty mac:history">
    <map:p iso="citation" host="platCit" class="CI_Citation"/>
    <map:p iso="identifier" host="platId" choice="MD_Identifier" min="1"/>
    <map:p iso="description" host="platDesc" type="text" min="1"/>
    <map:p iso="sponsor" host="platSponsor" class="CI_ResponsibleParty" max="n"/>
    <map:p iso="instrument" host="platInstru" class="MI_Instrument" min="1" max="n"/>
  </map:class>

  <!-- ===================================================================
       Code lists
       =================================================================== -->

  <map:codes list="MD_ScopeCode" ns3="mcc">
    <map:v code="001" iso="attribute"/>
    <map:v code="002" iso="attributeType"/>
    <map:v code="003" iso="collectionHardware"/>
    <map:v code="004" iso="collectionSession"/>
    <map:v code="005" iso="dataset"/>
    <map:v code="006" iso="series"/>
    <map:v code="007" iso="nonGeographicDataset"/>
    <map:v code="008" iso="dimensionGroup"/>
    <map:v code="009" iso="feature"/>
    <map:v code="010" iso="featureType"/>
    <map:v code="011" iso="propertyType"/>
    <map:v code="012" iso="fieldSession"/>
    <map:v code="013" iso="software"/>
    <map:v code="014" iso="service"/>
    <map:v code="015" iso="model"/>
    <map:v code="016" iso="tile"/>
  </map:codes>
  <map:codes list="MD_RestrictionCode" ns3="mco">
    <map:v code="001" iso="copyright"/>
    <map:v code="002" iso="patent"/>
    <map:v code="003" iso="patentPending"/>
    <map:v code="004" iso="trademark"/>
    <map:v code="005" iso="license"/>
    <map:v code="006" iso="intellectualPropertyRights"/>
    <map:v code="007" iso="restricted"/>
    <map:v code="008" iso="otherRestrictions"/>
  </map:codes>
  <map:codes list="MD_SpatialRepresentationTypeCode" ns3="mcc">
    <map:v code="001" iso="vector"/>
    <map:v code="002" iso="grid"/>
    <map:v code="003" iso="textTable"/>
    <map:v code="004" iso="tin"/>
    <map:v code="005" iso="stereoModel"/>
    <map:v code="006" iso="video"/>
  </map:codes>
  <map:codes list="CI_RoleCode" ns3="cit">
    <map:v code="001" iso="resourceProvider"/>
    <map:v code="002" iso="custodian"/>
    <map:v code="003" iso="owner"/>
    <map:v code="004" iso="user"/>
    <map:v code="005" iso="distributor"/>
    <map:v code="006" iso="originator"/>
    <map:v code="007" iso="pointOfContact"/>
    <map:v code="008" iso="principalInvestigator"/>
    <map:v code="009" iso="processor"/>
    <map:v code="010" iso="publisher"/>
    <map:v code="011" iso="author"/>
  </map:codes>
  <map:codes list="CI_DateTypeCode" ns3="cit">
    <map:v code="001" iso="creation"/>
    <map:v code="002" iso="publication"/>
    <map:v code="003" iso="revision"/>
  </map:codes>
  <map:codes list="MD_KeywordTypeCode" ns3="mri">
    <map:v code="001" iso="discipline"/>
    <map:v code="002" iso="place"/>
    <map:v code="003" iso="stratum"/>
    <map:v code="004" iso="temporal"/>
    <map:v code="005" iso="theme"/>
  </map:codes>
  <map:codes list="MD_TopicCategoryCode" ns3="mri">
    <map:v code="001" iso="farming"/>
    <map:v code="002" iso="biota"/>
    <map:v code="003" iso="boundaries"/>
    <map:v code="004" iso="climatologyMeteorologyAtmosphere"/>
    <map:v code="005" iso="economy"/>
    <map:v code="006" iso="elevation"/>
    <map:v code="007" iso="environment"/>
    <map:v code="008" iso="geoscientificInformation"/>
    <map:v code="009" iso="health"/>
    <map:v code="010" iso="imageryBaseMapsEarthCover"/>
    <map:v code="011" iso="intelligenceMilitary"/>
    <map:v code="012" iso="inlandWaters"/>
    <map:v code="013" iso="location"/>
    <map:v code="014" iso="oceans"/>
    <map:v code="015" iso="planningCadastre"/>
    <map:v code="016" iso="society"/>
    <map:v code="017" iso="structure"/>
    <map:v code="018" iso="transportation"/>
    <map:v code="019" iso="utilitiesCommunication"/>
  </map:codes>
  <map:codes list="MD_MaintenanceFrequencyCode" ns3="mmi">
    <map:v code="001" iso="continual"/>
    <map:v code="002" iso="daily"/>
    <map:v code="003" iso="weekly"/>
    <map:v code="004" iso="fortnightly"/>
    <map:v code="005" iso="monthly"/>
    <map:v code="006" iso="quarterly"/>
    <map:v code="007" iso="biannually"/>
    <map:v code="008" iso="annually"/>
    <map:v code="009" iso="asNeeded"/>
    <map:v code="010" iso="irregular"/>
    <map:v code="011" iso="notPlanned"/>
    <map:v code="012" iso="unknown"/>
  </map:codes>
  <map:codes list="CI_OnLineFunctionCode" ns3="cit">
    <map:v code="001" iso="download"/>
    <map:v code="002" iso="information"/>
    <map:v code="003" iso="offlineAccess"/>
    <map:v code="004" iso="order"/>
    <map:v code="005" iso="search"/>
  </map:codes>
  <map:codes list="CI_PresentationFormCode" ns3="cit">
    <map:v code="001" iso="documentDigital"/>
    <map:v code="002" iso="documentHardcopy"/>
    <map:v code="003" iso="imageDigital"/>
    <map:v code="004" iso="imageHardcopy"/>
    <map:v code="005" iso="mapDigital"/>
    <map:v code="006" iso="mapHardcopy"/>
    <map:v code="007" iso="modelDigital"/>
    <map:v code="008" iso="modelHardcopy"/>
    <map:v code="009" iso="profileDigital"/>
    <map:v code="010" iso="profileHardcopy"/>
    <map:v code="011" iso="tableDigital"/>
    <map:v code="012" iso="tableHardcopy"/>
    <map:v code="013" iso="videoDigital"/>
    <map:v code="014" iso="videoHardcopy"/>
  </map:codes>
  <map:codes list="MD_ClassificationCode" ns3="mco">
    <map:v code="001" iso="unclassified"/>
    <map:v code="002" iso="restricted"/>
    <map:v code="003" iso="confidential"/>
    <map:v code="004" iso="secret"/>
    <map:v code="005" iso="topSecret"/>
  </map:codes>
  <map:codes list="DS_AssociationTypeCode" ns3="mri">
    <map:v code="001" iso="crossReference"/>
    <map:v code="002" iso="largerWorkCitation"/>
    <map:v code="003" iso="partOfSeamlessDatabase"/>
    <map:v code="004" iso="source"/>
    <map:v code="005" iso="stereoMate"/>
  </map:codes>
  <map:codes list="DS_InitiativeTypeCode" ns3="mri">
    <map:v code="001" iso="campaign"/>
    <map:v code="002" iso="collection"/>
    <map:v code="003" iso="exercise"/>
    <map:v code="004" iso="experiment"/>
    <map:v code="005" iso="investigation"/>
    <map:v code="006" iso="mission"/>
    <map:v code="007" iso="sensor"/>
    <map:v code="008" iso="operation"/>
    <map:v code="009" iso="platform"/>
    <map:v code="010" iso="process"/>
    <map:v code="011" iso="program"/>
    <map:v code="012" iso="project"/>
    <map:v code="013" iso="study"/>
    <map:v code="014" iso="task"/>
    <map:v code="015" iso="trial"/>
  </map:codes>
  <map:codes list="MD_CoverageContentTypeCode" ns3="mrc">
    <map:v code="001" iso="image"/>
    <map:v code="002" iso="thematicClassification"/>
    <map:v code="003" iso="physicalMeasurement"/>
  </map:codes>
  <map:codes list="MD_ImagingConditionCode" ns3="mrc">
    <map:v code="001" iso="blurredImage"/>
    <map:v code="002" iso="cloud"/>
    <map:v code="003" iso="degradingObliquity"/>
    <map:v code="004" iso="fog"/>
    <map:v code="005" iso="heavySmokeOrDust"/>
    <map:v code="006" iso="night"/>
    <map:v code="007" iso="rain"/>
    <map:v code="008" iso="semiDarkness"/>
    <map:v code="009" iso="shadow"/>
    <map:v code="010" iso="snow"/>
    <map:v code="011" iso="terrainMasking"/>
  </map:codes>
  <map:codes list="MD_MediumNameCode" ns3="">
    <map:v code="001" iso="cdRom"/>
    <map:v code="002" iso="dvd"/>
    <map:v code="003" iso="dvdRom"/>
    <map:v code="004" iso="3halfInchFloppy"/>
    <map:v code="005" iso="5quarterInchFloppy"/>
    <map:v code="006" iso="7trackTape"/>
    <map:v code="007" iso="9trackTape"/>
    <map:v code="008" iso="3480Cartridge"/>
    <map:v code="009" iso="3490Cartridge"/>
    <map:v code="010" iso="3580Cartridge"/>
    <map:v code="011" iso="4mmCartridgeTape"/>
    <map:v code="012" iso="8mmCartridgeTape"/>
    <map:v code="013" iso="1quarterInchCartridgeTape"/>
    <map:v code="014" iso="digitalLinearTape"/>
    <map:v code="015" iso="onLine"/>
    <map:v code="016" iso="satellite"/>
    <map:v code="017" iso="telephoneLink"/>
    <map:v code="018" iso="hardcopy"/>
  </map:codes>
  <map:codes list="MD_MediumFormatCode" ns3="mrd">
    <map:v code="001" iso="cpio"/>
    <map:v code="002" iso="tar"/>
    <map:v code="003" iso="highSierra"/>
    <map:v code="004" iso="iso9660"/>
    <map:v code="005" iso="iso9660RockRidge"/>
    <map:v code="006" iso="iso9660AppleHFS"/>
  </map:codes>
  <map:codes list="MD_DatatypeCode" ns3="mex">
    <map:v code="001" iso="class"/>
    <map:v code="002" iso="codelist"/>
    <map:v code="003" iso="enumeration"/>
    <map:v code="004" iso="codelistElement"/>
    <map:v code="005" iso="abstractClass"/>
    <map:v code="006" iso="aggregateClass"/>
    <map:v code="007" iso="specifiedClass"/>
    <map:v code="008" iso="datatypeClass"/>
    <map:v code="009" iso="interfaceClass"/>
    <map:v code="010" iso="unionClass"/>
    <map:v code="011" iso="metaClass"/>
    <map:v code="012" iso="typeClass"/>
    <map:v code="013" iso="characterString"/>
    <map:v code="014" iso="integer"/>
    <map:v code="015" iso="association"/>
  </map:codes>
  <map:codes list="MD_CharacterSetCode" ns3="lan">
    <map:v iso="ucs2"/>
    <map:v iso="ucs4"/>
    <map:v iso="utf7"/>
    <map:v iso="utf8"/>
    <map:v iso="utf16"/>
    <map:v iso="8859part1"/>
    <map:v iso="8859part2"/>
    <map:v iso="8859part3"/>
    <map:v iso="8859part4"/>
    <map:v iso="8859part5"/>
    <map:v iso="8859part6"/>
    <map:v iso="8859part7"/>
    <map:v iso="8859part8"/>
    <map:v iso="8859part9"/>
    <map:v iso="8859part10"/>
    <map:v iso="8859part11"/>
    <map:v iso="8859part13"/>
    <map:v iso="8859part14"/>
    <map:v iso="8859part15"/>
    <map:v iso="8859part16"/>
    <map:v iso="jis"/>
    <map:v iso="shiftJIS"/>
    <map:v iso="eucJP"/>
    <map:v iso="usAscii"/>
    <map:v iso="ebcdic"/>
    <map:v iso="eucKR"/>
    <map:v iso="big5"/>
    <map:v iso="GB2312"/>
  </map:codes>
  <map:codes list="MD_ProgressCode" ns3="mcc">
    <map:v iso="completed"/>
    <map:v iso="historicalArchive"/>
    <map:v iso="obsolete"/>
    <map:v iso="onGoing"/>
    <map:v iso="planned"/>
    <map:v iso="required"/>
    <map:v iso="underDevelopment"/>
  </map:codes>
  <map:codes list="DQ_EvaluationMethodTypeCode" ns3="mdq">
    <map:v iso="directInternal"/>
    <map:v iso="directExternal"/>
    <map:v iso="indirect"/>
  </map:codes>
  <map:codes list="MD_TopologyLevelCode" ns3="msr">
    <map:v iso="geometryOnly"/>
    <map:v iso="topology1D"/>
    <map:v iso="planarGraph"/>
    <map:v iso="fullPlanarGraph"/>
    <map:v iso="surfaceGraph"/>
    <map:v iso="fullSurfaceGraph"/>
    <map:v iso="topology3D"/>
    <map:v iso="fullTopology3D"/>
    <map:v iso="abstract"/>
  </map:codes>
  <map:codes list="MD_GeometricObjectTypeCode" ns3="msr">
    <map:v name="complexes" iso="complex"/>
    <map:v name="composites" iso="composite"/>
    <map:v iso="curve"/>
    <map:v iso="point"/>
    <map:v iso="solid"/>
    <map:v iso="surface"/>
  </map:codes>
  <map:codes list="MD_CellGeometryCode" ns3="msr">
    <map:v name="Point" iso="point"/>
    <map:v name="Area" iso="area"/>
  </map:codes>
  <map:codes list="MD_DimensionNameTypeCode" ns3="msr">
    <map:v name="Row" iso="row"/>
    <map:v name="Column" iso="column"/>
    <map:v name="Vertical" iso="vertical"/>
    <map:v name="Track" iso="track"/>
    <map:v name="Cross Track" iso="crossTrack"/>
    <map:v name="Line" iso="line"/>
    <map:v name="Sample" iso="sample"/>
    <map:v name="Time" iso="time"/>
  </map:codes>
  <map:codes list="SV_CouplingType" ns3="srv">
    <map:v iso="loose"/>
    <map:v iso="mixed"/>
    <map:v iso="tight"/>
  </map:codes>
  <map:codes list="DCPList" ns3="srv">
    <map:v iso="XML"/>
    <map:v iso="CORBA"/>
    <map:v iso="JAVA"/>
    <map:v iso="COM"/>
    <map:v iso="SQL"/>
    <map:v iso="WebServices"/>
  </map:codes>
  <map:codes list="MD_ObligationCode" ns3="mex">
    <map:v iso="mandatory"/>
    <map:v iso="optional"/>
    <map:v iso="conditional"/>
  </map:codes>
  <map:codes list="MD_PixelOrientationCode" ns3="msr">
    <map:v iso="center" iso3="centre"/>
    <map:v iso="lowerLeft"/>
    <map:v iso="lowerRight"/>
    <map:v iso="upperRight"/>
    <map:v iso="upperLeft"/>
  </map:codes>
  <!-- Namespaces by prefix, for the class and property names above. -->
  <map:ns prefix="gmd" uri="http://www.isotc211.org/2005/gmd"/>
  <map:ns prefix="gco" uri="http://www.isotc211.org/2005/gco"/>
  <map:ns prefix="srv" uri="http://www.isotc211.org/2005/srv"/>
  <map:ns prefix="gmi" uri="http://www.isotc211.org/2005/gmi"/>
  <map:ns prefix="gmx" uri="http://www.isotc211.org/2005/gmx"/>
  <map:ns prefix="tw" uri="http://www.tidewise.org/2026/iso19139-ext"/>

  <!-- ISO 19115-3's namespaces by the prefix its classes and properties take
       in the 19115-3 column (ns3, order3, to3). A record is read in either
       version of a package (mdb/1.0 and mdb/2.0 alike: the package is the
       step after "-3/" or "-2/"); the export writes these. tw3 is the
       Tidewise extension of ISO 19115-3 (tidewise-iso19115-3.xsd). -->
  <map:ns3 prefix="mdb" uri="http://standards.iso.org/iso/19115/-3/mdb/2.0"/>
  <map:ns3 prefix="cit" uri="http://standards.iso.org/iso/19115/-3/cit/2.0"/>
  <map:ns3 prefix="gco" uri="http://standards.iso.org/iso/19115/-3/gco/1.0"/>
  <map:ns3 prefix="gcx" uri="http://standards.iso.org/iso/19115/-3/gcx/1.0"/>
  <map:ns3 prefix="gex" uri="http://standards.iso.org/iso/19115/-3/gex/1.0"/>
  <map:ns3 prefix="lan" uri="http://standards.iso.org/iso/19115/-3/lan/1.0"/>
  <map:ns3 prefix="mac" uri="http://standards.iso.org/iso/19115/-3/mac/2.0"/>
  <map:ns3 prefix="mas" uri="http://standards.iso.org/iso/19115/-3/mas/1.0"/>
  <map:ns3 prefix="mcc" uri="http://standards.iso.org/iso/19115/-3/mcc/1.0"/>
  <map:ns3 prefix="mco" uri="http://standards.iso.org/iso/19115/-3/mco/1.0"/>
  <map:ns3 prefix="mex" uri="http://standards.iso.org/iso/19115/-3/mex/1.0"/>
  <map:ns3 prefix="mmi" uri="http://standards.iso.org/iso/19115/-3/mmi/1.0"/>
  <map:ns3 prefix="mpc" uri="http://standards.iso.org/iso/19115/-3/mpc/1.0"/>
  <map:ns3 prefix="mrc" uri="http://standards.iso.org/iso/19115/-3/mrc/2.0"/>
  <map:ns3 prefix="mrd" uri="http://standards.iso.org/iso/19115/-3/mrd/1.0"/>
  <map:ns3 prefix="mri" uri="http://standards.iso.org/iso/19115/-3/mri/1.0"/>
  <map:ns3 prefix="mrl" uri="http://standards.iso.org/iso/19115/-3/mrl/2.0"/>
  <map:ns3 prefix="mrs" uri="http://standards.iso.org/iso/19115/-3/mrs/1.0"/>
  <map:ns3 prefix="msr" uri="http://standards.iso.org/iso/19115/-3/msr/2.0"/>
  <map:ns3 prefix="srv" uri="http://standards.iso.org/iso/19115/-3/srv/2.0"/>
  <map:ns3 prefix="mdq" uri="http://standards.iso.org/iso/19157/-2/mdq/1.0"/>
  <map:ns3 prefix="dqc" uri="http://standards.iso.org/iso/19157/-2/dqc/1.0"/>
  <map:ns3 prefix="gml" uri="http://www.opengis.net/gml/3.2"/>
  <map:ns3 prefix="xlink" uri="http://www.w3.org/1999/xlink"/>
  <map:ns3 prefix="tw3" uri="http://www.tidewise.org/2026/iso19115-3-ext"/>

  <!-- The same, declared: what an exported ISO 19115-3 record declares. -->
  <map:namespaces3
      xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0"
      xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0"
      xmlns:gco="http://standards.iso.org/iso/19115/-3/gco/1.0"
      xmlns:gcx="http://standards.iso.org/iso/19115/-3/gcx/1.0"
      xmlns:gex="http://standards.iso.org/iso/19115/-3/gex/1.0"
      xmlns:lan="http://standards.iso.org/iso/19115/-3/lan/1.0"
      xmlns:mac="http://standards.iso.org/iso/19115/-3/mac/2.0"
      xmlns:mas="http://standards.iso.org/iso/19115/-3/mas/1.0"
      xmlns:mcc="http://standards.iso.org/iso/19115/-3/mcc/1.0"
      xmlns:mco="http://standards.iso.org/iso/19115/-3/mco/1.0"
      xmlns:mex="http://standards.iso.org/iso/19115/-3/mex/1.0"
      xmlns:mmi="http://standards.iso.org/iso/19115/-3/mmi/1.0"
      xmlns:mpc="http://standards.iso.org/iso/19115/-3/mpc/1.0"
      xmlns:mrc="http://standards.iso.org/iso/19115/-3/mrc/2.0"
      xmlns:mrd="http://standards.iso.org/iso/19115/-3/mrd/1.0"
      xmlns:mri="http://standards.iso.org/iso/19115/-3/mri/1.0"
      xmlns:mrl="http://standards.iso.org/iso/19115/-3/mrl/2.0"
      xmlns:mrs="http://standards.iso.org/iso/19115/-3/mrs/1.0"
      xmlns:msr="http://standards.iso.org/iso/19115/-3/msr/2.0"
      xmlns:srv="http://standards.iso.org/iso/19115/-3/srv/2.0"
      xmlns:mdq="http://standards.iso.org/iso/19157/-2/mdq/1.0"
      xmlns:dqc="http://standards.iso.org/iso/19157/-2/dqc/1.0"
      xmlns:gml="http://www.opengis.net/gml/3.2"
      xmlns:xlink="http://www.w3.org/1999/xlink"
      xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
      xmlns:tw3="http://www.tidewise.org/2026/iso19115-3-ext"/>

  <!-- The namespaces of ISO 19139 and what it imports: an element carried
       from any other stays inside the class only in a record that cannot be
       ours (gmi's); elsewhere it travels in tw:carried. -->
  <xsl:variable name="iso-namespaces"
      select="concat(' ', 'http://www.isotc211.org/2005/gmd http://www.isotc211.org/2005/gco',
                     ' http://www.isotc211.org/2005/gmx http://www.isotc211.org/2005/srv',
                     ' http://www.isotc211.org/2005/gmi http://www.isotc211.org/2005/gts',
                     ' http://www.isotc211.org/2005/gss http://www.isotc211.org/2005/gsr',
                     ' http://www.opengis.net/gml/3.2 http://www.w3.org/1999/xlink',
                     ' http://www.tidewise.org/2026/iso19139-ext ')"/>

  <xsl:variable name="maps" select="document('')/xsl:stylesheet"/>

</xsl:stylesheet>

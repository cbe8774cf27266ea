<?xml version="1.0" encoding="UTF-8"?>
<!--
  The host's metadata (root "metadata", ISO 19115 short names) to an ISO 19139
  record (gmd:MD_Metadata).

  Every value an editing page shows comes back unchanged through
  toVelmarModel.xslt. A text that is a valid value of its ISO type goes into the
  plain gmd element; any other text (a resolution "1,5", a date "abc", a
  boolean "yes") goes verbatim into tw:verbatim of the enclosing class, which
  then becomes the Tidewise element that extends it (tidewise.xsd), and the gmd
  property holds gco:nilReason="other:verbatim". A code outside ISO's code list
  keeps the gmd code element with a codeList of ours. What ISO requires and the
  item lacks is written with gco:nilReason="missing".

  A value is read as the pages read it: the own text (text children only) of
  the first element that the path reaches, following every matching element at
  each step; hence the node-sets of all matching containers passed around below.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:gmd="http://www.isotc211.org/2005/gmd"
    xmlns:gco="http://www.isotc211.org/2005/gco"
    xmlns:gml="http://www.opengis.net/gml/3.2"
    xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
    xmlns:tw="http://www.tidewise.org/2026/iso19139-ext"
    xmlns:map="http://www.tidewise.org/2026/iso19139-ext/map"
    xmlns:exsl="http://exslt.org/common"
    extension-element-prefixes="exsl"
    exclude-result-prefixes="map exsl tw xlink">

  <xsl:output method="xml" encoding="UTF-8" indent="yes"/>

  <xsl:variable name="tw-ns" select="'http://www.tidewise.org/2026/iso19139-ext'"/>
  <xsl:variable name="iso-codelists"
      select="'http://standards.iso.org/ittf/PubliclyAvailableStandards/ISO_19139_Schemas/resources/Codelist/gmxCodelists.xml'"/>
  <xsl:variable name="theme-thesaurus" select="'Tidewise themes'"/>

  <!-- ===================================================================
       Tables. The same tables stand in toVelmarModel.xslt.
       =================================================================== -->

  <!-- Code lists: @code is the host's three-digit code, @name the host's name
       where it differs from ISO's value @iso. -->
  <map:codes list="MD_ScopeCode">
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
  <map:codes list="MD_RestrictionCode">
    <map:v code="001" iso="copyright"/>
    <map:v code="002" iso="patent"/>
    <map:v code="003" iso="patentPending"/>
    <map:v code="004" iso="trademark"/>
    <map:v code="005" iso="license"/>
    <map:v code="006" iso="intellectualPropertyRights"/>
    <map:v code="007" iso="restricted"/>
    <map:v code="008" iso="otherRestrictions"/>
  </map:codes>
  <map:codes list="MD_SpatialRepresentationTypeCode">
    <map:v code="001" iso="vector"/>
    <map:v code="002" iso="grid"/>
    <map:v code="003" iso="textTable"/>
    <map:v code="004" iso="tin"/>
    <map:v code="005" iso="stereoModel"/>
    <map:v code="006" iso="video"/>
  </map:codes>
  <map:codes list="CI_RoleCode">
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
  <map:codes list="CI_DateTypeCode">
    <map:v code="001" iso="creation"/>
    <map:v code="002" iso="publication"/>
    <map:v code="003" iso="revision"/>
  </map:codes>
  <map:codes list="MD_KeywordTypeCode">
    <map:v code="001" iso="discipline"/>
    <map:v code="002" iso="place"/>
    <map:v code="003" iso="stratum"/>
    <map:v code="004" iso="temporal"/>
    <map:v code="005" iso="theme"/>
  </map:codes>
  <map:codes list="MD_TopicCategoryCode">
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
  <map:codes list="MD_CharacterSetCode">
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
  <map:codes list="MD_ProgressCode">
    <map:v iso="completed"/>
    <map:v iso="historicalArchive"/>
    <map:v iso="obsolete"/>
    <map:v iso="onGoing"/>
    <map:v iso="planned"/>
    <map:v iso="required"/>
    <map:v iso="underDevelopment"/>
  </map:codes>
  <map:codes list="DQ_EvaluationMethodTypeCode">
    <map:v iso="directInternal"/>
    <map:v iso="directExternal"/>
    <map:v iso="indirect"/>
  </map:codes>
  <map:codes list="MD_TopologyLevelCode">
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
  <map:codes list="MD_GeometricObjectTypeCode">
    <map:v name="complexes" iso="complex"/>
    <map:v name="composites" iso="composite"/>
    <map:v iso="curve"/>
    <map:v iso="point"/>
    <map:v iso="solid"/>
    <map:v iso="surface"/>
  </map:codes>
  <map:codes list="MD_CellGeometryCode">
    <map:v name="Point" iso="point"/>
    <map:v name="Area" iso="area"/>
  </map:codes>
  <map:codes list="MD_DimensionNameTypeCode">
    <map:v name="Row" iso="row"/>
    <map:v name="Column" iso="column"/>
    <map:v name="Vertical" iso="vertical"/>
    <map:v name="Track" iso="track"/>
    <map:v name="Cross Track" iso="crossTrack"/>
    <map:v name="Line" iso="line"/>
    <map:v name="Sample" iso="sample"/>
    <map:v name="Time" iso="time"/>
  </map:codes>

  <!-- The fifteen data quality elements: the host's element, ISO's class. -->
  <map:quality>
    <map:e host="DQCompOm" iso="DQ_CompletenessOmission"/>
    <map:e host="DQCompleteComm" iso="DQ_CompletenessCommission"/>
    <map:e host="DQConcConsis" iso="DQ_ConceptualConsistency"/>
    <map:e host="DQDomConsis" iso="DQ_DomainConsistency"/>
    <map:e host="DQFormConsis" iso="DQ_FormatConsistency"/>
    <map:e host="DQTopConsis" iso="DQ_TopologicalConsistency"/>
    <map:e host="DQAbsExtPosAcc" iso="DQ_AbsoluteExternalPositionalAccuracy"/>
    <map:e host="DQGridDataPosAcc" iso="DQ_GriddedDataPositionalAccuracy"/>
    <map:e host="DQRelIntPosAcc" iso="DQ_RelativeInternalPositionalAccuracy"/>
    <map:e host="DQAccTimeMeas" iso="DQ_AccuracyOfATimeMeasurement"/>
    <map:e host="DQTempConsis" iso="DQ_TemporalConsistency"/>
    <map:e host="DQTempValid" iso="DQ_TemporalValidity"/>
    <map:e host="DQThemClassCor" iso="DQ_ThematicClassificationCorrectness"/>
    <map:e host="DQNonQuanAttAcc" iso="DQ_NonQuantitativeAttributeAccuracy"/>
    <map:e host="DQQuanAttAcc" iso="DQ_QuantitativeAttributeAccuracy"/>
  </map:quality>

  <!-- Classes whose properties are all text, in ISO's order. -->
  <map:class iso="MD_ProjectionParameters" host="projParas">
    <map:p host="zone" iso="zone"/>
    <map:p host="stanParal" iso="standardParallel"/>
    <map:p host="longCntMer" iso="longitudeOfCentralMeridian"/>
    <map:p host="latProjOri" iso="latitudeOfProjectionOrigin"/>
    <map:p host="falEastng" iso="falseEasting"/>
    <map:p host="falNorthng" iso="falseNorthing"/>
    <map:p host="falENUnits" iso="falseEastingNorthingUnits"/>
    <map:p host="sclFacEqu" iso="scaleFactorAtEquator"/>
    <map:p host="hgtProsPt" iso="heightOfProspectivePointAboveSurface"/>
    <map:p host="longProjCnt" iso="longitudeOfProjectionCenter"/>
    <map:p host="latProjCnt" iso="latitudeOfProjectionCenter"/>
    <map:p host="sclFacCnt" iso="scaleFactorAtCenterLine"/>
    <map:p host="stVrLongPl" iso="straightVerticalLongitudeFromPole"/>
    <map:p host="sclFacPrOr" iso="scaleFactorAtProjectionOrigin"/>
  </map:class>
  <map:class iso="MD_EllipsoidParameters" host="ellParas">
    <map:p host="semiMajAx" iso="semiMajorAxis"/>
    <map:p host="axisUnits" iso="axisUnits"/>
    <map:p host="denFlatRat" iso="denominatorOfFlatteningRatio"/>
  </map:class>

  <!-- Properties of ISO types other than text, by class, in ISO's order: a
       text that is not a valid value of the type makes the class ours and
       travels verbatim; a required property the item lacks is nil. -->
  <map:typed class="MD_Metadata">
    <map:p host="mdDateSt" iso="dateStamp" type="Date" required="yes"/>
  </map:typed>
  <map:typed class="CI_Date">
    <map:p host="refDate" iso="date" type="Date" required="yes"/>
  </map:typed>
  <map:typed class="EX_GeographicBoundingBox">
    <map:p host="exTypeCode" iso="extentTypeCode" type="Boolean"/>
    <map:p host="westBL" iso="westBoundLongitude" type="Decimal" required="yes"/>
    <map:p host="eastBL" iso="eastBoundLongitude" type="Decimal" required="yes"/>
    <map:p host="southBL" iso="southBoundLatitude" type="Decimal" required="yes"/>
    <map:p host="northBL" iso="northBoundLatitude" type="Decimal" required="yes"/>
  </map:typed>
  <map:typed class="EX_GeographicDescription">
    <map:p host="exTypeCode" iso="extentTypeCode" type="Boolean"/>
  </map:typed>
  <map:typed class="EX_VerticalExtent">
    <map:p host="vertMinVal" iso="minimumValue" type="Real" required="yes"/>
    <map:p host="vertMaxVal" iso="maximumValue" type="Real" required="yes"/>
  </map:typed>
  <map:typed class="MD_GridSpatialRepresentation">
    <map:p host="numDims" iso="numberOfDimensions" type="Integer" required="yes"/>
    <map:p host="tranParaAv" iso="transformationParameterAvailability" type="Boolean" required="yes"/>
  </map:typed>
  <map:typed class="MD_Dimension">
    <map:p host="dimSize" iso="dimensionSize" type="Integer" required="yes"/>
    <map:p host="dimResol" iso="resolution" type="Measure"/>
  </map:typed>
  <map:typed class="MD_GeometricObjects">
    <map:p host="geoObjCnt" iso="geometricObjectCount" type="Integer"/>
  </map:typed>
  <map:typed class="DQ_Element">
    <map:p host="measDateTm" iso="dateTime" type="DateTime"/>
  </map:typed>
  <map:typed class="DQ_ConformanceResult">
    <map:p host="conPass" iso="pass" type="Boolean" required="yes"/>
  </map:typed>

  <!-- The namespace of a class: ours when it carries anything ISO cannot. -->
  <map:prefix>gmd</map:prefix>
  <map:prefix>tw</map:prefix>

  <xsl:variable name="maps" select="document('')/xsl:stylesheet"/>
  <xsl:variable name="prefixes" select="$maps/map:prefix"/>
  <xsl:key name="iso-by-code" match="map:v[@code]" use="concat(../@list, ' ', @code)"/>
  <xsl:key name="iso-by-name" match="map:v" use="concat(../@list, ' ', @name, @iso[not(../@name)])"/>
  <!-- The host's quality elements by name. -->
  <xsl:key name="dq" match="/metadata/dqInfo/*" use="local-name()"/>

  <!-- ===================================================================
       The record
       =================================================================== -->

  <xsl:template match="/">
    <xsl:if test="not(metadata)">
      <xsl:message terminate="yes">not the host's metadata: the root element is not "metadata"</xsl:message>
    </xsl:if>
    <xsl:apply-templates select="metadata"/>
  </xsl:template>

  <xsl:template match="/metadata">
    <xsl:variable name="body">
      <xsl:call-template name="MD_Metadata-properties"/>
    </xsl:variable>
    <xsl:variable name="parts" select="exsl:node-set($body)/*"/>
    <xsl:variable name="extended" select="boolean(exsl:node-set($body)//tw:*)"/>
    <xsl:variable name="date-odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'MD_Metadata'"/>
        <xsl:with-param name="host" select="."/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="root">
      <xsl:choose>
        <xsl:when test="string($date-odd)">tw</xsl:when>
        <xsl:otherwise>gmd</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:element name="{$root}:MD_Metadata">
      <xsl:copy-of select="document('')/*/namespace::gmd | document('')/*/namespace::gco
                           | document('')/*/namespace::gml | document('')/*/namespace::xsi"/>
      <xsl:if test="$extended or $root = 'tw'">
        <xsl:copy-of select="document('')/*/namespace::tw"/>
      </xsl:if>
      <xsl:if test="exsl:node-set($body)//@xlink:href">
        <xsl:copy-of select="document('')/*/namespace::xlink"/>
      </xsl:if>
      <xsl:attribute name="xsi:schemaLocation">http://www.isotc211.org/2005/gmd http://schemas.opengis.net/iso/19139/20070417/gmd/gmd.xsd</xsl:attribute>
      <xsl:copy-of select="$parts[not(self::gmd:identificationInfo or preceding-sibling::gmd:identificationInfo)]"/>
      <xsl:if test="$extended or $root = 'tw'">
        <!-- ISO 19115 asks an extended record to say where its extension is described. -->
        <gmd:metadataExtensionInfo>
          <gmd:MD_MetadataExtensionInformation>
            <gmd:extensionOnLineResource>
              <gmd:CI_OnlineResource>
                <gmd:linkage><gmd:URL><xsl:value-of select="$tw-ns"/></gmd:URL></gmd:linkage>
                <gmd:name><gco:CharacterString>Tidewise extension of ISO 19139 (tidewise.xsd)</gco:CharacterString></gmd:name>
              </gmd:CI_OnlineResource>
            </gmd:extensionOnLineResource>
          </gmd:MD_MetadataExtensionInformation>
        </gmd:metadataExtensionInfo>
      </xsl:if>
      <xsl:copy-of select="$parts[self::gmd:identificationInfo or preceding-sibling::gmd:identificationInfo]"/>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'MD_Metadata'"/>
        <xsl:with-param name="host" select="."/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <!-- The properties of MD_Metadata in ISO's order, the extension information
       and the root's own verbatim texts left to the caller. -->
  <xsl:template name="MD_Metadata-properties">
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="'fileIdentifier'"/>
      <xsl:with-param name="n" select="mdFileID"/>
    </xsl:call-template>
    <xsl:call-template name="language">
      <xsl:with-param name="n" select="mdLang/languageCode/@value"/>
    </xsl:call-template>
    <xsl:call-template name="code">
      <xsl:with-param name="name" select="'characterSet'"/>
      <xsl:with-param name="list" select="'MD_CharacterSetCode'"/>
      <xsl:with-param name="n" select="mdChar2"/>
    </xsl:call-template>
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="'parentIdentifier'"/>
      <xsl:with-param name="n" select="mdParentID"/>
    </xsl:call-template>
    <xsl:call-template name="code">
      <xsl:with-param name="name" select="'hierarchyLevel'"/>
      <xsl:with-param name="list" select="'MD_ScopeCode'"/>
      <xsl:with-param name="n" select="mdHrLv2"/>
    </xsl:call-template>
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="'hierarchyLevelName'"/>
      <xsl:with-param name="n" select="mdHrLvName"/>
    </xsl:call-template>
    <xsl:call-template name="party">
      <xsl:with-param name="name" select="'contact'"/>
      <xsl:with-param name="party" select="mdContact"/>
      <xsl:with-param name="required" select="true()"/>
    </xsl:call-template>
    <xsl:call-template name="typed-property">
      <xsl:with-param name="class" select="'MD_Metadata'"/>
      <xsl:with-param name="name" select="'dateStamp'"/>
      <xsl:with-param name="host" select="."/>
    </xsl:call-template>
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="'metadataStandardName'"/>
      <xsl:with-param name="n" select="mdStanName2"/>
    </xsl:call-template>
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="'metadataStandardVersion'"/>
      <xsl:with-param name="n" select="mdStanVer2"/>
    </xsl:call-template>
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="'dataSetURI'"/>
      <xsl:with-param name="n" select="dataSetURI"/>
    </xsl:call-template>
    <xsl:if test="GridSpatRep">
      <gmd:spatialRepresentationInfo>
        <xsl:call-template name="MD_GridSpatialRepresentation">
          <xsl:with-param name="grid" select="GridSpatRep"/>
        </xsl:call-template>
      </gmd:spatialRepresentationInfo>
    </xsl:if>
    <xsl:if test="VectSpatRep">
      <gmd:spatialRepresentationInfo>
        <xsl:call-template name="MD_VectorSpatialRepresentation">
          <xsl:with-param name="vector" select="VectSpatRep"/>
        </xsl:call-template>
      </gmd:spatialRepresentationInfo>
    </xsl:if>
    <xsl:call-template name="reference-systems">
      <xsl:with-param name="rs" select="MdCoRefSys"/>
    </xsl:call-template>
    <gmd:identificationInfo>
      <xsl:call-template name="MD_DataIdentification">
        <xsl:with-param name="id" select="dataIdInfo"/>
      </xsl:call-template>
    </gmd:identificationInfo>
    <xsl:if test="distInfo">
      <gmd:distributionInfo>
        <xsl:call-template name="MD_Distribution">
          <xsl:with-param name="dist" select="distInfo"/>
        </xsl:call-template>
      </gmd:distributionInfo>
    </xsl:if>
    <xsl:if test="dqInfo">
      <gmd:dataQualityInfo>
        <xsl:call-template name="DQ_DataQuality">
          <xsl:with-param name="dq" select="dqInfo"/>
        </xsl:call-template>
      </gmd:dataQualityInfo>
    </xsl:if>
    <xsl:for-each select="appSchInfo">
      <gmd:applicationSchemaInfo>
        <xsl:call-template name="MD_ApplicationSchemaInformation">
          <xsl:with-param name="schema" select="."/>
        </xsl:call-template>
      </gmd:applicationSchemaInfo>
    </xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Identification
       =================================================================== -->

  <xsl:template name="MD_DataIdentification">
    <xsl:param name="id"/>
    <gmd:MD_DataIdentification>
      <gmd:citation>
        <xsl:call-template name="CI_Citation">
          <xsl:with-param name="citation" select="$id/idCitation"/>
        </xsl:call-template>
      </gmd:citation>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'abstract'"/>
        <xsl:with-param name="n" select="$id/idAbs"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'purpose'"/>
        <xsl:with-param name="n" select="$id/idPurp"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'status'"/>
        <xsl:with-param name="list" select="'MD_ProgressCode'"/>
        <xsl:with-param name="n" select="$id/idStatus"/>
      </xsl:call-template>
      <xsl:call-template name="party">
        <xsl:with-param name="name" select="'pointOfContact'"/>
        <xsl:with-param name="party" select="$id/idPoC"/>
      </xsl:call-template>
      <xsl:for-each select="$id/searchKeys">
        <gmd:descriptiveKeywords>
          <xsl:call-template name="MD_Keywords">
            <xsl:with-param name="keywords" select="keyword"/>
            <xsl:with-param name="type" select="keyTyp/KeyTypCd/@value"/>
            <xsl:with-param name="thesaurus" select="thesaName"/>
          </xsl:call-template>
        </gmd:descriptiveKeywords>
      </xsl:for-each>
      <xsl:if test="/metadata/tideExt/tidTopic">
        <!-- The project's theme, as a keyword of our own thesaurus. -->
        <gmd:descriptiveKeywords>
          <gmd:MD_Keywords>
            <xsl:for-each select="/metadata/tideExt/tidTopic">
              <gmd:keyword>
                <gco:CharacterString><xsl:call-template name="text"/></gco:CharacterString>
              </gmd:keyword>
            </xsl:for-each>
            <gmd:type>
              <gmd:MD_KeywordTypeCode codeList="{$iso-codelists}#MD_KeywordTypeCode"
                  codeListValue="theme">theme</gmd:MD_KeywordTypeCode>
            </gmd:type>
            <gmd:thesaurusName>
              <gmd:CI_Citation>
                <gmd:title><gco:CharacterString><xsl:value-of select="$theme-thesaurus"/></gco:CharacterString></gmd:title>
                <gmd:date gco:nilReason="unknown"/>
                <gmd:identifier>
                  <gmd:MD_Identifier>
                    <gmd:code><gco:CharacterString><xsl:value-of select="concat($tw-ns, '#themes')"/></gco:CharacterString></gmd:code>
                  </gmd:MD_Identifier>
                </gmd:identifier>
              </gmd:CI_Citation>
            </gmd:thesaurusName>
          </gmd:MD_Keywords>
        </gmd:descriptiveKeywords>
      </xsl:if>
      <xsl:if test="$id/LegConsts">
        <gmd:resourceConstraints>
          <xsl:call-template name="MD_LegalConstraints">
            <xsl:with-param name="constraints" select="$id/LegConsts"/>
          </xsl:call-template>
        </gmd:resourceConstraints>
      </xsl:if>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'spatialRepresentationType'"/>
        <xsl:with-param name="list" select="'MD_SpatialRepresentationTypeCode'"/>
        <xsl:with-param name="n" select="$id/spatRpType/spatRepTypCd/@value"/>
        <xsl:with-param name="by" select="'code'"/>
      </xsl:call-template>
      <xsl:call-template name="language">
        <xsl:with-param name="n" select="$id/dataLang/languageCode/@value"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'characterSet'"/>
        <xsl:with-param name="list" select="'MD_CharacterSetCode'"/>
        <xsl:with-param name="n" select="$id/dataChar"/>
      </xsl:call-template>
      <xsl:for-each select="$id/tpCat/TopicCatCd/@value">
        <!-- An enumeration in ISO 19139: a code outside it cannot be written. -->
        <xsl:variable name="code" select="string(.)"/>
        <xsl:variable name="iso">
          <xsl:for-each select="$maps">
            <xsl:value-of select="key('iso-by-code', concat('MD_TopicCategoryCode ', $code))/@iso"/>
          </xsl:for-each>
        </xsl:variable>
        <xsl:if test="string($iso)">
          <gmd:topicCategory><gmd:MD_TopicCategoryCode><xsl:value-of select="$iso"/></gmd:MD_TopicCategoryCode></gmd:topicCategory>
        </xsl:if>
      </xsl:for-each>
      <xsl:if test="$id/dataExt or $id/geoDesc">
        <gmd:extent>
          <xsl:call-template name="EX_Extent">
            <xsl:with-param name="extent" select="$id/dataExt"/>
            <xsl:with-param name="description" select="$id/dataExt/exDesc"/>
            <xsl:with-param name="box" select="$id/dataExt/geoEle/GeoBndBox"/>
            <xsl:with-param name="geodesc" select="$id/geoDesc"/>
            <xsl:with-param name="id" select="'dataExt'"/>
          </xsl:call-template>
        </gmd:extent>
      </xsl:if>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'supplementalInformation'"/>
        <xsl:with-param name="n" select="$id/suppInfo"/>
      </xsl:call-template>
    </gmd:MD_DataIdentification>
  </xsl:template>

  <xsl:template name="MD_Keywords">
    <xsl:param name="keywords"/>
    <xsl:param name="type"/>
    <xsl:param name="thesaurus"/>
    <gmd:MD_Keywords>
      <xsl:for-each select="$keywords">
        <gmd:keyword><gco:CharacterString><xsl:call-template name="text"/></gco:CharacterString></gmd:keyword>
      </xsl:for-each>
      <xsl:if test="not($keywords)">
        <gmd:keyword gco:nilReason="missing"/>
      </xsl:if>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'type'"/>
        <xsl:with-param name="list" select="'MD_KeywordTypeCode'"/>
        <xsl:with-param name="n" select="$type"/>
        <xsl:with-param name="by" select="'code'"/>
      </xsl:call-template>
      <xsl:if test="$thesaurus">
        <gmd:thesaurusName>
          <xsl:call-template name="CI_Citation">
            <xsl:with-param name="citation" select="$thesaurus"/>
          </xsl:call-template>
        </gmd:thesaurusName>
      </xsl:if>
    </gmd:MD_Keywords>
  </xsl:template>

  <xsl:template name="MD_LegalConstraints">
    <xsl:param name="constraints"/>
    <gmd:MD_LegalConstraints>
      <xsl:for-each select="$constraints/useLimit">
        <gmd:useLimitation><gco:CharacterString><xsl:call-template name="text"/></gco:CharacterString></gmd:useLimitation>
      </xsl:for-each>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'accessConstraints'"/>
        <xsl:with-param name="list" select="'MD_RestrictionCode'"/>
        <xsl:with-param name="n" select="$constraints/accessConsts/RestrictCd/@value"/>
        <xsl:with-param name="by" select="'code'"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'useConstraints'"/>
        <xsl:with-param name="list" select="'MD_RestrictionCode'"/>
        <xsl:with-param name="n" select="$constraints/useConsts/RestrictCd/@value"/>
        <xsl:with-param name="by" select="'code'"/>
      </xsl:call-template>
      <xsl:for-each select="$constraints/othConsts">
        <gmd:otherConstraints><gco:CharacterString><xsl:call-template name="text"/></gco:CharacterString></gmd:otherConstraints>
      </xsl:for-each>
    </gmd:MD_LegalConstraints>
  </xsl:template>

  <!-- ===================================================================
       Citation, responsible party, identifier, online resource
       =================================================================== -->

  <xsl:template name="CI_Citation">
    <xsl:param name="citation"/>
    <gmd:CI_Citation>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'title'"/>
        <xsl:with-param name="n" select="$citation/resTitle"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:for-each select="$citation/resRefDate">
        <gmd:date>
          <xsl:call-template name="CI_Date">
            <xsl:with-param name="date" select="."/>
          </xsl:call-template>
        </gmd:date>
      </xsl:for-each>
      <xsl:if test="not($citation/resRefDate)">
        <gmd:date gco:nilReason="missing"/>
      </xsl:if>
    </gmd:CI_Citation>
  </xsl:template>

  <xsl:template name="CI_Date">
    <xsl:param name="date"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'CI_Date'"/>
        <xsl:with-param name="host" select="$date"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:CI_Date">
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'CI_Date'"/>
        <xsl:with-param name="name" select="'date'"/>
        <xsl:with-param name="host" select="$date"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'dateType'"/>
        <xsl:with-param name="list" select="'CI_DateTypeCode'"/>
        <xsl:with-param name="n" select="$date/refDateType/DateTypCd/@value"/>
        <xsl:with-param name="by" select="'code'"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'CI_Date'"/>
        <xsl:with-param name="host" select="$date"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <!-- A responsible party from all the host elements that hold it. The role
       is the element's own text (a name), else the code of its RoleCd. -->
  <xsl:template name="party">
    <xsl:param name="name"/>
    <xsl:param name="party"/>
    <xsl:param name="required" select="false()"/>
    <xsl:choose>
      <xsl:when test="$party">
        <xsl:element name="gmd:{$name}">
          <xsl:call-template name="CI_ResponsibleParty">
            <xsl:with-param name="party" select="$party"/>
          </xsl:call-template>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$required">
        <xsl:element name="gmd:{$name}">
          <xsl:attribute name="gco:nilReason">missing</xsl:attribute>
        </xsl:element>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="CI_ResponsibleParty">
    <xsl:param name="party"/>
    <xsl:variable name="info" select="$party/rpCntInfo"/>
    <gmd:CI_ResponsibleParty>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'individualName'"/>
        <xsl:with-param name="n" select="$party/rpIndName"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'organisationName'"/>
        <xsl:with-param name="n" select="$party/rpOrgName"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'positionName'"/>
        <xsl:with-param name="n" select="$party/rpPosName"/>
      </xsl:call-template>
      <xsl:if test="$info">
        <gmd:contactInfo>
          <gmd:CI_Contact>
            <xsl:if test="$info/cntPhone">
              <gmd:phone>
                <gmd:CI_Telephone>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'voice'"/>
                    <xsl:with-param name="n" select="$info/cntPhone/voiceNum"/>
                  </xsl:call-template>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'facsimile'"/>
                    <xsl:with-param name="n" select="$info/cntPhone/faxNum"/>
                  </xsl:call-template>
                </gmd:CI_Telephone>
              </gmd:phone>
            </xsl:if>
            <xsl:if test="$info/cntAddress">
              <xsl:variable name="address" select="$info/cntAddress"/>
              <gmd:address>
                <gmd:CI_Address>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'deliveryPoint'"/>
                    <xsl:with-param name="n" select="$address/delPoint"/>
                  </xsl:call-template>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'city'"/>
                    <xsl:with-param name="n" select="$address/city"/>
                  </xsl:call-template>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'administrativeArea'"/>
                    <xsl:with-param name="n" select="$address/adminArea"/>
                  </xsl:call-template>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'postalCode'"/>
                    <xsl:with-param name="n" select="$address/postCode"/>
                  </xsl:call-template>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'country'"/>
                    <xsl:with-param name="n" select="$address/country"/>
                  </xsl:call-template>
                  <xsl:call-template name="str">
                    <xsl:with-param name="name" select="'electronicMailAddress'"/>
                    <xsl:with-param name="n" select="$address/eMailAdd"/>
                  </xsl:call-template>
                </gmd:CI_Address>
              </gmd:address>
            </xsl:if>
            <xsl:if test="$info/cntOnlineRes">
              <gmd:onlineResource>
                <xsl:call-template name="CI_OnlineResource">
                  <xsl:with-param name="resource" select="$info/cntOnlineRes"/>
                </xsl:call-template>
              </gmd:onlineResource>
            </xsl:if>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'hoursOfService'"/>
              <xsl:with-param name="n" select="$info/cntHours"/>
            </xsl:call-template>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'contactInstructions'"/>
              <xsl:with-param name="n" select="$info/cntInstr"/>
            </xsl:call-template>
          </gmd:CI_Contact>
        </gmd:contactInfo>
      </xsl:if>
      <xsl:variable name="role-name">
        <xsl:call-template name="text">
          <xsl:with-param name="n" select="$party/role"/>
        </xsl:call-template>
      </xsl:variable>
      <xsl:choose>
        <!-- Around a RoleCd, text of spaces alone is layout. -->
        <xsl:when test="normalize-space($role-name) or (string($role-name) and not($party/role/RoleCd/@value))">
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'role'"/>
            <xsl:with-param name="list" select="'CI_RoleCode'"/>
            <xsl:with-param name="n" select="$party/role"/>
            <xsl:with-param name="required" select="true()"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'role'"/>
            <xsl:with-param name="list" select="'CI_RoleCode'"/>
            <xsl:with-param name="n" select="$party/role/RoleCd/@value"/>
            <xsl:with-param name="by" select="'code'"/>
            <xsl:with-param name="required" select="true()"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </gmd:CI_ResponsibleParty>
  </xsl:template>

  <xsl:template name="CI_OnlineResource">
    <xsl:param name="resource"/>
    <gmd:CI_OnlineResource>
      <xsl:choose>
        <xsl:when test="$resource/linkage">
          <gmd:linkage>
            <gmd:URL><xsl:call-template name="text"><xsl:with-param name="n" select="$resource/linkage"/></xsl:call-template></gmd:URL>
          </gmd:linkage>
        </xsl:when>
        <xsl:otherwise><gmd:linkage gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'protocol'"/>
        <xsl:with-param name="n" select="$resource/protocol"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'name'"/>
        <xsl:with-param name="n" select="$resource/orName"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'description'"/>
        <xsl:with-param name="n" select="$resource/orDesc"/>
      </xsl:call-template>
    </gmd:CI_OnlineResource>
  </xsl:template>

  <!-- An identifier from the host's identifier elements: identAuth (a
       citation), identCode, idCodeSpace, idVersion; an RS_Identifier where
       ISO asks for one or the host has a code space or version. -->
  <xsl:template name="identifier">
    <xsl:param name="rs" select="false()"/>
    <xsl:param name="identifier"/>
    <xsl:variable name="class">
      <xsl:choose>
        <xsl:when test="$rs or $identifier/idCodeSpace or $identifier/idVersion">RS_Identifier</xsl:when>
        <xsl:otherwise>MD_Identifier</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:element name="gmd:{$class}">
      <xsl:if test="$identifier/identAuth">
        <gmd:authority>
          <xsl:call-template name="CI_Citation">
            <xsl:with-param name="citation" select="$identifier/identAuth"/>
          </xsl:call-template>
        </gmd:authority>
      </xsl:if>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'code'"/>
        <xsl:with-param name="n" select="$identifier/identCode"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:if test="$class = 'RS_Identifier'">
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'codeSpace'"/>
          <xsl:with-param name="n" select="$identifier/idCodeSpace"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'version'"/>
          <xsl:with-param name="n" select="$identifier/idVersion"/>
        </xsl:call-template>
      </xsl:if>
    </xsl:element>
  </xsl:template>

  <!-- ===================================================================
       Extent
       =================================================================== -->

  <!-- One EX_Extent from the host's extent elements (dataExt or scpExt): its
       description, first bounding box, temporal and vertical extents, and the
       geographic description where the caller has one. -->
  <xsl:template name="EX_Extent">
    <xsl:param name="extent"/>
    <xsl:param name="description"/>
    <xsl:param name="box"/>
    <xsl:param name="geodesc" select="/.."/>
    <xsl:param name="id"/>
    <gmd:EX_Extent>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'description'"/>
        <xsl:with-param name="n" select="$description"/>
      </xsl:call-template>
      <xsl:if test="$box">
        <gmd:geographicElement>
          <xsl:call-template name="EX_GeographicBoundingBox">
            <xsl:with-param name="box" select="$box"/>
          </xsl:call-template>
        </gmd:geographicElement>
      </xsl:if>
      <xsl:if test="$geodesc">
        <gmd:geographicElement>
          <xsl:call-template name="EX_GeographicDescription">
            <xsl:with-param name="geodesc" select="$geodesc"/>
          </xsl:call-template>
        </gmd:geographicElement>
      </xsl:if>
      <xsl:if test="$extent/tempEle">
        <gmd:temporalElement>
          <xsl:call-template name="EX_TemporalExtent">
            <xsl:with-param name="temporal" select="$extent/tempEle/exTemp"/>
            <xsl:with-param name="id" select="$id"/>
          </xsl:call-template>
        </gmd:temporalElement>
      </xsl:if>
      <xsl:if test="$extent/vertEle">
        <gmd:verticalElement>
          <xsl:call-template name="EX_VerticalExtent">
            <xsl:with-param name="vertical" select="$extent/vertEle"/>
          </xsl:call-template>
        </gmd:verticalElement>
      </xsl:if>
    </gmd:EX_Extent>
  </xsl:template>

  <xsl:template name="EX_GeographicBoundingBox">
    <xsl:param name="box"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'EX_GeographicBoundingBox'"/>
        <xsl:with-param name="host" select="$box"/>
      </xsl:call-template>
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$box/altiBoundLongitude"/>
      </xsl:call-template>
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$box/altiBoundLatitude"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:EX_GeographicBoundingBox">
      <xsl:call-template name="typed-properties">
        <xsl:with-param name="class" select="'EX_GeographicBoundingBox'"/>
        <xsl:with-param name="host" select="$box"/>
      </xsl:call-template>
      <xsl:call-template name="extension-text">
        <xsl:with-param name="name" select="'altitudeBoundLongitude'"/>
        <xsl:with-param name="n" select="$box/altiBoundLongitude"/>
      </xsl:call-template>
      <xsl:call-template name="extension-text">
        <xsl:with-param name="name" select="'altitudeBoundLatitude'"/>
        <xsl:with-param name="n" select="$box/altiBoundLatitude"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'EX_GeographicBoundingBox'"/>
        <xsl:with-param name="host" select="$box"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <xsl:template name="EX_GeographicDescription">
    <xsl:param name="geodesc"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'EX_GeographicDescription'"/>
        <xsl:with-param name="host" select="$geodesc"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:EX_GeographicDescription">
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'EX_GeographicDescription'"/>
        <xsl:with-param name="name" select="'extentTypeCode'"/>
        <xsl:with-param name="host" select="$geodesc"/>
      </xsl:call-template>
      <xsl:choose>
        <xsl:when test="$geodesc/geoId">
          <gmd:geographicIdentifier>
            <xsl:call-template name="identifier">
              <xsl:with-param name="identifier" select="$geodesc/geoId"/>
            </xsl:call-template>
          </gmd:geographicIdentifier>
        </xsl:when>
        <xsl:otherwise><gmd:geographicIdentifier gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'EX_GeographicDescription'"/>
        <xsl:with-param name="host" select="$geodesc"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <!-- A time period from beginEnd (begin, end), else an instant. A position
       the host marks "indeterminate" keeps that mark. -->
  <xsl:template name="EX_TemporalExtent">
    <xsl:param name="temporal"/>
    <xsl:param name="id"/>
    <xsl:variable name="begin" select="$temporal/beginEnd/begin"/>
    <xsl:variable name="end" select="$temporal/beginEnd/end"/>
    <xsl:variable name="instant" select="$temporal/instant"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd">
        <xsl:with-param name="n" select="$begin"/>
        <xsl:with-param name="type" select="'Position'"/>
      </xsl:call-template>
      <xsl:call-template name="odd">
        <xsl:with-param name="n" select="$end"/>
        <xsl:with-param name="type" select="'Position'"/>
      </xsl:call-template>
      <xsl:call-template name="odd">
        <xsl:with-param name="n" select="$instant"/>
        <xsl:with-param name="type" select="'Position'"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:EX_TemporalExtent">
      <gmd:extent>
        <xsl:choose>
          <xsl:when test="$instant and not($temporal/beginEnd)">
            <gml:TimeInstant gml:id="{concat('tw-instant-', $id)}">
              <xsl:call-template name="time-position">
                <xsl:with-param name="name" select="'timePosition'"/>
                <xsl:with-param name="n" select="$instant"/>
              </xsl:call-template>
            </gml:TimeInstant>
          </xsl:when>
          <xsl:otherwise>
            <gml:TimePeriod gml:id="{concat('tw-period-', $id)}">
              <xsl:call-template name="time-position">
                <xsl:with-param name="name" select="'beginPosition'"/>
                <xsl:with-param name="n" select="$begin"/>
              </xsl:call-template>
              <xsl:call-template name="time-position">
                <xsl:with-param name="name" select="'endPosition'"/>
                <xsl:with-param name="n" select="$end"/>
              </xsl:call-template>
            </gml:TimePeriod>
          </xsl:otherwise>
        </xsl:choose>
      </gmd:extent>
      <xsl:call-template name="verbatim">
        <xsl:with-param name="name" select="'beginPosition'"/>
        <xsl:with-param name="n" select="$begin"/>
        <xsl:with-param name="type" select="'Position'"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim">
        <xsl:with-param name="name" select="'endPosition'"/>
        <xsl:with-param name="n" select="$end"/>
        <xsl:with-param name="type" select="'Position'"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim">
        <xsl:with-param name="name" select="'timePosition'"/>
        <xsl:with-param name="n" select="$instant"/>
        <xsl:with-param name="type" select="'Position'"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <xsl:template name="time-position">
    <xsl:param name="name"/>
    <xsl:param name="n"/>
    <xsl:variable name="t">
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$n"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="ok">
      <xsl:call-template name="valid">
        <xsl:with-param name="type" select="'Position'"/>
        <xsl:with-param name="s" select="$t"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="gml:{$name}">
      <xsl:choose>
        <xsl:when test="string($ok)"><xsl:value-of select="$t"/></xsl:when>
        <xsl:when test="$n[1]/@indeterminate and $t = ''">
          <xsl:attribute name="indeterminatePosition"><xsl:value-of select="$n[1]/@indeterminate"/></xsl:attribute>
        </xsl:when>
        <xsl:otherwise>
          <xsl:attribute name="indeterminatePosition">unknown</xsl:attribute>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:element>
  </xsl:template>

  <xsl:template name="EX_VerticalExtent">
    <xsl:param name="vertical"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'EX_VerticalExtent'"/>
        <xsl:with-param name="host" select="$vertical"/>
      </xsl:call-template>
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$vertical/vertUoM"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="crs">
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$vertical/vertCRS"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:EX_VerticalExtent">
      <xsl:call-template name="typed-properties">
        <xsl:with-param name="class" select="'EX_VerticalExtent'"/>
        <xsl:with-param name="host" select="$vertical"/>
      </xsl:call-template>
      <xsl:choose>
        <xsl:when test="string($crs)">
          <gmd:verticalCRS xlink:href="{$crs}"/>
        </xsl:when>
        <xsl:otherwise><gmd:verticalCRS gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="extension-text">
        <xsl:with-param name="name" select="'unitOfMeasure'"/>
        <xsl:with-param name="n" select="$vertical/vertUoM"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'EX_VerticalExtent'"/>
        <xsl:with-param name="host" select="$vertical"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <!-- ===================================================================
       Reference system
       =================================================================== -->

  <!-- The identifier in a plain MD_ReferenceSystem, which every reader knows;
       the projection, ellipsoid and datum in a second entry, tw:MD_CRS. -->
  <xsl:template name="reference-systems">
    <xsl:param name="rs"/>
    <xsl:if test="$rs/refSysId">
      <gmd:referenceSystemInfo>
        <gmd:MD_ReferenceSystem>
          <gmd:referenceSystemIdentifier>
            <xsl:call-template name="identifier">
              <xsl:with-param name="rs" select="true()"/>
              <xsl:with-param name="identifier" select="$rs/refSysId"/>
            </xsl:call-template>
          </gmd:referenceSystemIdentifier>
        </gmd:MD_ReferenceSystem>
      </gmd:referenceSystemInfo>
    </xsl:if>
    <xsl:if test="$rs/projection or $rs/ellipsoid or $rs/datum or $rs/ellParas or $rs/projParas">
      <gmd:referenceSystemInfo>
        <tw:MD_CRS>
          <xsl:if test="$rs/projection">
            <tw:projection>
              <xsl:call-template name="identifier">
                <xsl:with-param name="rs" select="true()"/>
                <xsl:with-param name="identifier" select="$rs/projection"/>
              </xsl:call-template>
            </tw:projection>
          </xsl:if>
          <xsl:if test="$rs/ellipsoid">
            <tw:ellipsoid>
              <xsl:call-template name="identifier">
                <xsl:with-param name="rs" select="true()"/>
                <xsl:with-param name="identifier" select="$rs/ellipsoid"/>
              </xsl:call-template>
            </tw:ellipsoid>
          </xsl:if>
          <xsl:if test="$rs/datum">
            <tw:datum>
              <xsl:call-template name="identifier">
                <xsl:with-param name="rs" select="true()"/>
                <xsl:with-param name="identifier" select="$rs/datum"/>
              </xsl:call-template>
            </tw:datum>
          </xsl:if>
          <xsl:if test="$rs/ellParas">
            <tw:ellipsoidParameters>
              <xsl:call-template name="text-class">
                <xsl:with-param name="class" select="'MD_EllipsoidParameters'"/>
                <xsl:with-param name="host" select="$rs/ellParas"/>
              </xsl:call-template>
            </tw:ellipsoidParameters>
          </xsl:if>
          <xsl:if test="$rs/projParas">
            <tw:projectionParameters>
              <xsl:call-template name="text-class">
                <xsl:with-param name="class" select="'MD_ProjectionParameters'"/>
                <xsl:with-param name="host" select="$rs/projParas"/>
              </xsl:call-template>
            </tw:projectionParameters>
          </xsl:if>
        </tw:MD_CRS>
      </gmd:referenceSystemInfo>
    </xsl:if>
  </xsl:template>

  <!-- A class of ours whose properties are all text, from its table. -->
  <xsl:template name="text-class">
    <xsl:param name="class"/>
    <xsl:param name="host"/>
    <xsl:element name="tw:{$class}">
      <xsl:for-each select="$maps/map:class[@iso = $class]/map:p">
        <xsl:variable name="values" select="$host/*[local-name() = current()/@host]"/>
        <xsl:if test="$values">
          <xsl:element name="tw:{@iso}">
            <gco:CharacterString>
              <xsl:call-template name="text">
                <xsl:with-param name="n" select="$values"/>
              </xsl:call-template>
            </gco:CharacterString>
          </xsl:element>
        </xsl:if>
      </xsl:for-each>
    </xsl:element>
  </xsl:template>

  <!-- ===================================================================
       Spatial representation
       =================================================================== -->

  <xsl:template name="MD_GridSpatialRepresentation">
    <xsl:param name="grid"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'MD_GridSpatialRepresentation'"/>
        <xsl:with-param name="host" select="$grid"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:MD_GridSpatialRepresentation">
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'MD_GridSpatialRepresentation'"/>
        <xsl:with-param name="name" select="'numberOfDimensions'"/>
        <xsl:with-param name="host" select="$grid"/>
      </xsl:call-template>
      <xsl:for-each select="$grid/axDimProps">
        <gmd:axisDimensionProperties>
          <xsl:call-template name="MD_Dimension">
            <xsl:with-param name="dimension" select="."/>
          </xsl:call-template>
        </gmd:axisDimensionProperties>
      </xsl:for-each>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'cellGeometry'"/>
        <xsl:with-param name="list" select="'MD_CellGeometryCode'"/>
        <xsl:with-param name="n" select="$grid/cellGeo"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'MD_GridSpatialRepresentation'"/>
        <xsl:with-param name="name" select="'transformationParameterAvailability'"/>
        <xsl:with-param name="host" select="$grid"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'MD_GridSpatialRepresentation'"/>
        <xsl:with-param name="host" select="$grid"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <xsl:template name="MD_Dimension">
    <xsl:param name="dimension"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'MD_Dimension'"/>
        <xsl:with-param name="host" select="$dimension"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:MD_Dimension">
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'dimensionName'"/>
        <xsl:with-param name="list" select="'MD_DimensionNameTypeCode'"/>
        <xsl:with-param name="n" select="$dimension/dimName"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'MD_Dimension'"/>
        <xsl:with-param name="name" select="'dimensionSize'"/>
        <xsl:with-param name="host" select="$dimension"/>
      </xsl:call-template>
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'MD_Dimension'"/>
        <xsl:with-param name="name" select="'resolution'"/>
        <xsl:with-param name="host" select="$dimension"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'MD_Dimension'"/>
        <xsl:with-param name="host" select="$dimension"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <xsl:template name="MD_VectorSpatialRepresentation">
    <xsl:param name="vector"/>
    <gmd:MD_VectorSpatialRepresentation>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'topologyLevel'"/>
        <xsl:with-param name="list" select="'MD_TopologyLevelCode'"/>
        <xsl:with-param name="n" select="$vector/topLvl"/>
      </xsl:call-template>
      <xsl:for-each select="$vector/geometObjs">
        <xsl:variable name="odd">
          <xsl:call-template name="odd-properties">
            <xsl:with-param name="class" select="'MD_GeometricObjects'"/>
            <xsl:with-param name="host" select="."/>
          </xsl:call-template>
        </xsl:variable>
        <gmd:geometricObjects>
          <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:MD_GeometricObjects">
            <xsl:call-template name="code">
              <xsl:with-param name="name" select="'geometricObjectType'"/>
              <xsl:with-param name="list" select="'MD_GeometricObjectTypeCode'"/>
              <xsl:with-param name="n" select="geoObjTyp"/>
              <xsl:with-param name="required" select="true()"/>
            </xsl:call-template>
            <xsl:call-template name="typed-property">
              <xsl:with-param name="class" select="'MD_GeometricObjects'"/>
              <xsl:with-param name="name" select="'geometricObjectCount'"/>
              <xsl:with-param name="host" select="."/>
            </xsl:call-template>
            <xsl:call-template name="verbatim-properties">
              <xsl:with-param name="class" select="'MD_GeometricObjects'"/>
              <xsl:with-param name="host" select="."/>
            </xsl:call-template>
          </xsl:element>
        </gmd:geometricObjects>
      </xsl:for-each>
    </gmd:MD_VectorSpatialRepresentation>
  </xsl:template>

  <!-- ===================================================================
       Distribution, application schema
       =================================================================== -->

  <xsl:template name="MD_Distribution">
    <xsl:param name="dist"/>
    <gmd:MD_Distribution>
      <xsl:for-each select="$dist/distFormat">
        <gmd:distributionFormat>
          <gmd:MD_Format>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'name'"/>
              <xsl:with-param name="n" select="formatName"/>
              <xsl:with-param name="required" select="true()"/>
            </xsl:call-template>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'version'"/>
              <xsl:with-param name="n" select="formatVer"/>
              <xsl:with-param name="required" select="true()"/>
            </xsl:call-template>
          </gmd:MD_Format>
        </gmd:distributionFormat>
      </xsl:for-each>
      <xsl:for-each select="$dist/distributor">
        <gmd:distributor>
          <gmd:MD_Distributor>
            <xsl:call-template name="party">
              <xsl:with-param name="name" select="'distributorContact'"/>
              <xsl:with-param name="party" select="distorCont"/>
              <xsl:with-param name="required" select="true()"/>
            </xsl:call-template>
          </gmd:MD_Distributor>
        </gmd:distributor>
      </xsl:for-each>
      <xsl:for-each select="$dist/distTranOps">
        <gmd:transferOptions>
          <gmd:MD_DigitalTransferOptions>
            <xsl:for-each select="onLineSrc">
              <gmd:onLine>
                <xsl:call-template name="CI_OnlineResource">
                  <xsl:with-param name="resource" select="."/>
                </xsl:call-template>
              </gmd:onLine>
            </xsl:for-each>
          </gmd:MD_DigitalTransferOptions>
        </gmd:transferOptions>
      </xsl:for-each>
    </gmd:MD_Distribution>
  </xsl:template>

  <xsl:template name="MD_ApplicationSchemaInformation">
    <xsl:param name="schema"/>
    <gmd:MD_ApplicationSchemaInformation>
      <xsl:choose>
        <xsl:when test="$schema/asName">
          <gmd:name>
            <xsl:call-template name="CI_Citation">
              <xsl:with-param name="citation" select="$schema/asName"/>
            </xsl:call-template>
          </gmd:name>
        </xsl:when>
        <xsl:otherwise><gmd:name gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'schemaLanguage'"/>
        <xsl:with-param name="n" select="$schema/asSchLang"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'constraintLanguage'"/>
        <xsl:with-param name="n" select="$schema/asCstLang"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'schemaAscii'"/>
        <xsl:with-param name="n" select="$schema/asAscii"/>
      </xsl:call-template>
      <xsl:if test="$schema/asGraFile/BinaryBase64">
        <gmd:graphicsFile>
          <gco:Binary>
            <xsl:call-template name="text">
              <xsl:with-param name="n" select="$schema/asGraFile/BinaryBase64"/>
            </xsl:call-template>
          </gco:Binary>
        </gmd:graphicsFile>
      </xsl:if>
    </gmd:MD_ApplicationSchemaInformation>
  </xsl:template>

  <!-- ===================================================================
       Data quality
       =================================================================== -->

  <xsl:template name="DQ_DataQuality">
    <xsl:param name="dq"/>
    <gmd:DQ_DataQuality>
      <xsl:choose>
        <xsl:when test="$dq/dqScope">
          <gmd:scope>
            <xsl:call-template name="DQ_Scope">
              <xsl:with-param name="scope" select="$dq/dqScope"/>
            </xsl:call-template>
          </gmd:scope>
        </xsl:when>
        <xsl:otherwise><gmd:scope gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:variable name="metadata" select="/"/>
      <xsl:for-each select="$maps/map:quality/map:e">
        <xsl:variable name="row" select="."/>
        <xsl:for-each select="$metadata">
          <xsl:variable name="element" select="key('dq', $row/@host)"/>
          <xsl:if test="$element">
            <gmd:report>
              <xsl:call-template name="DQ_Element">
                <xsl:with-param name="element" select="$element"/>
                <xsl:with-param name="class" select="$row/@iso"/>
              </xsl:call-template>
            </gmd:report>
          </xsl:if>
        </xsl:for-each>
      </xsl:for-each>
      <xsl:if test="$dq/dataLineage">
        <gmd:lineage>
          <gmd:LI_Lineage>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'statement'"/>
              <xsl:with-param name="n" select="$dq/dataLineage/statement"/>
            </xsl:call-template>
          </gmd:LI_Lineage>
        </gmd:lineage>
      </xsl:if>
    </gmd:DQ_DataQuality>
  </xsl:template>

  <xsl:template name="DQ_Scope">
    <xsl:param name="scope"/>
    <gmd:DQ_Scope>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'level'"/>
        <xsl:with-param name="list" select="'MD_ScopeCode'"/>
        <xsl:with-param name="n" select="$scope/scpLvl/ScopeCd/@value"/>
        <xsl:with-param name="by" select="'code'"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:if test="$scope/scpExt">
        <gmd:extent>
          <xsl:call-template name="EX_Extent">
            <xsl:with-param name="extent" select="$scope/scpExt"/>
            <xsl:with-param name="description" select="$scope/scpExt/exDescr"/>
            <xsl:with-param name="box" select="$scope/scpExt/GeoBndBox"/>
            <xsl:with-param name="id" select="'scpExt'"/>
          </xsl:call-template>
        </gmd:extent>
      </xsl:if>
      <xsl:if test="$scope/scpLvlDesc/datasetSet">
        <gmd:levelDescription>
          <gmd:MD_ScopeDescription>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'dataset'"/>
              <xsl:with-param name="n" select="$scope/scpLvlDesc/datasetSet"/>
            </xsl:call-template>
          </gmd:MD_ScopeDescription>
        </gmd:levelDescription>
      </xsl:if>
    </gmd:DQ_Scope>
  </xsl:template>

  <!-- Any of the fifteen quality elements: the host's elements of one name,
       written as the ISO class given. -->
  <xsl:template name="DQ_Element">
    <xsl:param name="element"/>
    <xsl:param name="class"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'DQ_Element'"/>
        <xsl:with-param name="host" select="$element"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:{$class}">
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'nameOfMeasure'"/>
        <xsl:with-param name="n" select="$element/measName"/>
      </xsl:call-template>
      <xsl:if test="$element/measId">
        <gmd:measureIdentification>
          <xsl:call-template name="identifier">
            <xsl:with-param name="identifier" select="$element/measId"/>
          </xsl:call-template>
        </gmd:measureIdentification>
      </xsl:if>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'measureDescription'"/>
        <xsl:with-param name="n" select="$element/measDesc"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'evaluationMethodType'"/>
        <xsl:with-param name="list" select="'DQ_EvaluationMethodTypeCode'"/>
        <xsl:with-param name="n" select="$element/evalMethType"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'evaluationMethodDescription'"/>
        <xsl:with-param name="n" select="$element/evalMethDesc"/>
      </xsl:call-template>
      <xsl:if test="$element/evalProc">
        <gmd:evaluationProcedure>
          <xsl:call-template name="CI_Citation">
            <xsl:with-param name="citation" select="$element/evalProc"/>
          </xsl:call-template>
        </gmd:evaluationProcedure>
      </xsl:if>
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'DQ_Element'"/>
        <xsl:with-param name="name" select="'dateTime'"/>
        <xsl:with-param name="host" select="$element"/>
      </xsl:call-template>
      <xsl:if test="$element/ConResult">
        <gmd:result>
          <xsl:call-template name="DQ_ConformanceResult">
            <xsl:with-param name="result" select="$element/ConResult"/>
          </xsl:call-template>
        </gmd:result>
      </xsl:if>
      <xsl:if test="$element/QuanResult">
        <gmd:result>
          <xsl:call-template name="DQ_QuantitativeResult">
            <xsl:with-param name="result" select="$element/QuanResult"/>
            <xsl:with-param name="id" select="local-name($element)"/>
          </xsl:call-template>
        </gmd:result>
      </xsl:if>
      <xsl:if test="not($element/ConResult or $element/QuanResult)">
        <gmd:result gco:nilReason="missing"/>
      </xsl:if>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'DQ_Element'"/>
        <xsl:with-param name="host" select="$element"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <xsl:template name="DQ_ConformanceResult">
    <xsl:param name="result"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-properties">
        <xsl:with-param name="class" select="'DQ_ConformanceResult'"/>
        <xsl:with-param name="host" select="$result"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="{$prefixes[1 + boolean(string($odd))]}:DQ_ConformanceResult">
      <xsl:choose>
        <xsl:when test="$result/conSpec">
          <gmd:specification>
            <xsl:call-template name="CI_Citation">
              <xsl:with-param name="citation" select="$result/conSpec"/>
            </xsl:call-template>
          </gmd:specification>
        </xsl:when>
        <xsl:otherwise><gmd:specification gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'explanation'"/>
        <xsl:with-param name="n" select="$result/conExpl"/>
        <xsl:with-param name="required" select="true()"/>
      </xsl:call-template>
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="'DQ_ConformanceResult'"/>
        <xsl:with-param name="name" select="'pass'"/>
        <xsl:with-param name="host" select="$result"/>
      </xsl:call-template>
      <xsl:call-template name="verbatim-properties">
        <xsl:with-param name="class" select="'DQ_ConformanceResult'"/>
        <xsl:with-param name="host" select="$result"/>
      </xsl:call-template>
    </xsl:element>
  </xsl:template>

  <xsl:template name="DQ_QuantitativeResult">
    <xsl:param name="result"/>
    <xsl:param name="id"/>
    <xsl:variable name="unit">
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$result/UomScale/uomName"/>
      </xsl:call-template>
    </xsl:variable>
    <gmd:DQ_QuantitativeResult>
      <xsl:if test="$result/quanValType">
        <gmd:valueType>
          <gco:RecordType>
            <xsl:call-template name="text">
              <xsl:with-param name="n" select="$result/quanValType"/>
            </xsl:call-template>
          </gco:RecordType>
        </gmd:valueType>
      </xsl:if>
      <xsl:choose>
        <xsl:when test="string($unit)">
          <gmd:valueUnit>
            <gml:UnitDefinition gml:id="{concat('tw-unit-', $id)}">
              <gml:identifier codeSpace="{$tw-ns}"><xsl:value-of select="$unit"/></gml:identifier>
            </gml:UnitDefinition>
          </gmd:valueUnit>
        </xsl:when>
        <xsl:otherwise><gmd:valueUnit gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'errorStatistic'"/>
        <xsl:with-param name="n" select="$result/errStat"/>
      </xsl:call-template>
      <xsl:choose>
        <xsl:when test="$result/quanVal/otherValue">
          <xsl:for-each select="$result/quanVal/otherValue">
            <gmd:value><gco:Record><xsl:call-template name="text"/></gco:Record></gmd:value>
          </xsl:for-each>
        </xsl:when>
        <xsl:otherwise><gmd:value gco:nilReason="missing"/></xsl:otherwise>
      </xsl:choose>
    </gmd:DQ_QuantitativeResult>
  </xsl:template>

  <!-- ===================================================================
       Properties
       =================================================================== -->

  <!-- The own text of the first node of $n, as the pages read it. -->
  <xsl:template name="text">
    <xsl:param name="n" select="."/>
    <xsl:for-each select="$n[1]/text()"><xsl:value-of select="."/></xsl:for-each>
  </xsl:template>

  <!-- A CharacterString property; an element present but empty stays an
       empty string, an absent one is left out or, if ISO requires it, nil. -->
  <xsl:template name="str">
    <xsl:param name="name"/>
    <xsl:param name="n"/>
    <xsl:param name="required" select="false()"/>
    <xsl:choose>
      <xsl:when test="$n">
        <xsl:element name="gmd:{$name}">
          <gco:CharacterString>
            <xsl:call-template name="text">
              <xsl:with-param name="n" select="$n"/>
            </xsl:call-template>
          </gco:CharacterString>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$required">
        <xsl:element name="gmd:{$name}">
          <xsl:attribute name="gco:nilReason">missing</xsl:attribute>
        </xsl:element>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- A text property of an extended class; empty text is left out. -->
  <xsl:template name="extension-text">
    <xsl:param name="name"/>
    <xsl:param name="n"/>
    <xsl:variable name="t">
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$n"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:if test="string($t)">
      <xsl:element name="tw:{$name}">
        <gco:CharacterString><xsl:value-of select="$t"/></gco:CharacterString>
      </xsl:element>
    </xsl:if>
  </xsl:template>

  <xsl:template name="language">
    <xsl:param name="n"/>
    <xsl:param name="required" select="false()"/>
    <xsl:choose>
      <xsl:when test="string($n[1])">
        <gmd:language>
          <gmd:LanguageCode codeList="http://www.loc.gov/standards/iso639-2/" codeListValue="{$n[1]}">
            <xsl:value-of select="$n[1]"/>
          </gmd:LanguageCode>
        </gmd:language>
      </xsl:when>
      <xsl:when test="$required"><gmd:language gco:nilReason="missing"/></xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- A code list property. $n holds the host's elements (by name: their
       text is the name) or "value" attributes (by code). A value outside the
       table keeps its text, under a code list of ours. -->
  <xsl:template name="code">
    <xsl:param name="name"/>
    <xsl:param name="list"/>
    <xsl:param name="n"/>
    <xsl:param name="by" select="'name'"/>
    <xsl:param name="required" select="false()"/>
    <xsl:variable name="t">
      <xsl:choose>
        <xsl:when test="$by = 'code'"><xsl:value-of select="$n[1]"/></xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="text">
            <xsl:with-param name="n" select="$n"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="iso">
      <xsl:for-each select="$maps">
        <xsl:value-of select="key(concat('iso-by-', $by), concat($list, ' ', $t))/@iso"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="string($t)">
        <xsl:element name="gmd:{$name}">
          <xsl:element name="gmd:{$list}">
            <xsl:choose>
              <xsl:when test="string($iso)">
                <xsl:attribute name="codeList"><xsl:value-of select="concat($iso-codelists, '#', $list)"/></xsl:attribute>
                <xsl:attribute name="codeListValue"><xsl:value-of select="$iso"/></xsl:attribute>
                <xsl:value-of select="$iso"/>
              </xsl:when>
              <xsl:otherwise>
                <xsl:attribute name="codeList"><xsl:value-of select="concat($tw-ns, '#', $list)"/></xsl:attribute>
                <xsl:attribute name="codeListValue"><xsl:value-of select="$t"/></xsl:attribute>
                <xsl:value-of select="$t"/>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:element>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$required">
        <xsl:element name="gmd:{$name}">
          <xsl:attribute name="gco:nilReason">missing</xsl:attribute>
        </xsl:element>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- A property of an ISO type other than text: the gmd element when the
       text is a valid value of the type, else a placeholder whose text the
       class carries in tw:verbatim. Empty text counts as absent. -->
  <xsl:template name="typed">
    <xsl:param name="name"/>
    <xsl:param name="n"/>
    <xsl:param name="type"/>
    <xsl:param name="required" select="false()"/>
    <xsl:variable name="t">
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$n"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="ok">
      <xsl:call-template name="valid">
        <xsl:with-param name="type" select="$type"/>
        <xsl:with-param name="s" select="$t"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="string($ok)">
        <xsl:element name="gmd:{$name}">
          <xsl:choose>
            <xsl:when test="$type = 'Measure'">
              <gco:Measure uom="{substring-after($t, ' ')}"><xsl:value-of select="substring-before($t, ' ')"/></gco:Measure>
            </xsl:when>
            <xsl:when test="$type = 'Date' and string-length($t) &gt; 10">
              <gco:DateTime><xsl:value-of select="$t"/></gco:DateTime>
            </xsl:when>
            <xsl:otherwise>
              <xsl:element name="gco:{$type}"><xsl:value-of select="$t"/></xsl:element>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:element>
      </xsl:when>
      <xsl:when test="string($t)">
        <xsl:element name="gmd:{$name}">
          <xsl:attribute name="gco:nilReason">other:verbatim</xsl:attribute>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$required">
        <xsl:element name="gmd:{$name}">
          <xsl:attribute name="gco:nilReason">missing</xsl:attribute>
        </xsl:element>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- A typed property of $class as its table describes it. -->
  <xsl:template name="typed-property">
    <xsl:param name="class"/>
    <xsl:param name="name"/>
    <xsl:param name="host"/>
    <xsl:for-each select="$maps/map:typed[@class = $class]/map:p[@iso = $name]">
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="$name"/>
        <xsl:with-param name="n" select="$host/*[local-name() = current()/@host]"/>
        <xsl:with-param name="type" select="@type"/>
        <xsl:with-param name="required" select="@required = 'yes'"/>
      </xsl:call-template>
    </xsl:for-each>
  </xsl:template>

  <!-- All typed properties of $class, in the table's order. -->
  <xsl:template name="typed-properties">
    <xsl:param name="class"/>
    <xsl:param name="host"/>
    <xsl:for-each select="$maps/map:typed[@class = $class]/map:p">
      <xsl:call-template name="typed-property">
        <xsl:with-param name="class" select="$class"/>
        <xsl:with-param name="name" select="@iso"/>
        <xsl:with-param name="host" select="$host"/>
      </xsl:call-template>
    </xsl:for-each>
  </xsl:template>

  <!-- "x" for each typed property of $class (its table) whose first host
       element below $host holds text that is not a valid value of its type. -->
  <xsl:template name="odd-properties">
    <xsl:param name="class"/>
    <xsl:param name="host"/>
    <xsl:for-each select="$maps/map:typed[@class = $class]/map:p">
      <xsl:call-template name="odd">
        <xsl:with-param name="n" select="$host/*[local-name() = current()/@host]"/>
        <xsl:with-param name="type" select="@type"/>
      </xsl:call-template>
    </xsl:for-each>
  </xsl:template>

  <!-- The verbatim texts of those properties, closing the extended class. -->
  <xsl:template name="verbatim-properties">
    <xsl:param name="class"/>
    <xsl:param name="host"/>
    <xsl:for-each select="$maps/map:typed[@class = $class]/map:p">
      <xsl:call-template name="verbatim">
        <xsl:with-param name="name" select="@iso"/>
        <xsl:with-param name="n" select="$host/*[local-name() = current()/@host]"/>
        <xsl:with-param name="type" select="@type"/>
      </xsl:call-template>
    </xsl:for-each>
  </xsl:template>

  <!-- "x" when the first of $n holds text that is not a valid $type. -->
  <xsl:template name="odd">
    <xsl:param name="n"/>
    <xsl:param name="type"/>
    <xsl:variable name="t">
      <xsl:call-template name="text">
        <xsl:with-param name="n" select="$n"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:if test="string($t)">
      <xsl:variable name="ok">
        <xsl:call-template name="valid">
          <xsl:with-param name="type" select="$type"/>
          <xsl:with-param name="s" select="$t"/>
        </xsl:call-template>
      </xsl:variable>
      <xsl:if test="not(string($ok))">x</xsl:if>
    </xsl:if>
  </xsl:template>

  <xsl:template name="verbatim">
    <xsl:param name="name"/>
    <xsl:param name="n"/>
    <xsl:param name="type"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd">
        <xsl:with-param name="n" select="$n"/>
        <xsl:with-param name="type" select="$type"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:if test="string($odd)">
      <tw:verbatim property="{$name}">
        <gco:CharacterString>
          <xsl:call-template name="text">
            <xsl:with-param name="n" select="$n"/>
          </xsl:call-template>
        </gco:CharacterString>
      </tw:verbatim>
    </xsl:if>
  </xsl:template>

  <!-- ===================================================================
       Lexical forms of the ISO types. Only the forms that come back
       unchanged through the import pass; "1" for a valid text.
       =================================================================== -->

  <xsl:template name="valid">
    <xsl:param name="type"/>
    <xsl:param name="s"/>
    <xsl:choose>
      <xsl:when test="$type = 'Boolean'">
        <xsl:if test="$s = 'true' or $s = 'false'">1</xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'Integer'">
        <xsl:call-template name="is-integer"><xsl:with-param name="s" select="$s"/></xsl:call-template>
      </xsl:when>
      <xsl:when test="$type = 'Decimal'">
        <xsl:call-template name="is-decimal"><xsl:with-param name="s" select="$s"/></xsl:call-template>
      </xsl:when>
      <xsl:when test="$type = 'Real'">
        <xsl:call-template name="is-real"><xsl:with-param name="s" select="$s"/></xsl:call-template>
      </xsl:when>
      <xsl:when test="$type = 'DateTime'">
        <xsl:call-template name="is-datetime"><xsl:with-param name="s" select="$s"/></xsl:call-template>
      </xsl:when>
      <xsl:when test="$type = 'Date' or $type = 'Position'">
        <xsl:variable name="date">
          <xsl:call-template name="is-date"><xsl:with-param name="s" select="$s"/></xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="string($date)">1</xsl:when>
          <xsl:otherwise>
            <xsl:call-template name="is-datetime"><xsl:with-param name="s" select="$s"/></xsl:call-template>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$type = 'Measure'">
        <!-- "1.5 m": a number, one space, a unit symbol. -->
        <xsl:variable name="unit" select="substring-after($s, ' ')"/>
        <xsl:if test="string($unit) and translate($unit, ': &#9;&#10;&#13;', '') = $unit">
          <xsl:call-template name="is-real"><xsl:with-param name="s" select="substring-before($s, ' ')"/></xsl:call-template>
        </xsl:if>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="is-integer">
    <xsl:param name="s"/>
    <xsl:variable name="u" select="substring($s, 1 + (starts-with($s, '-') or starts-with($s, '+')))"/>
    <xsl:if test="string($u) and translate($u, '0123456789', '') = ''">1</xsl:if>
  </xsl:template>

  <xsl:template name="is-decimal">
    <xsl:param name="s"/>
    <xsl:variable name="u" select="substring($s, 1 + (starts-with($s, '-') or starts-with($s, '+')))"/>
    <xsl:variable name="rest" select="translate($u, '0123456789', '')"/>
    <xsl:if test="($rest = '' or $rest = '.') and string-length($u) &gt; string-length($rest)">1</xsl:if>
  </xsl:template>

  <xsl:template name="is-real">
    <xsl:param name="s"/>
    <xsl:variable name="e" select="translate($s, 'E', 'e')"/>
    <xsl:choose>
      <xsl:when test="$s = 'INF' or $s = '-INF' or $s = 'NaN'">1</xsl:when>
      <xsl:when test="contains($e, 'e')">
        <xsl:variable name="mantissa">
          <xsl:call-template name="is-decimal"><xsl:with-param name="s" select="substring-before($e, 'e')"/></xsl:call-template>
        </xsl:variable>
        <xsl:variable name="exponent">
          <xsl:call-template name="is-integer"><xsl:with-param name="s" select="substring-after($e, 'e')"/></xsl:call-template>
        </xsl:variable>
        <xsl:if test="string($mantissa) and string($exponent)">1</xsl:if>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="is-decimal"><xsl:with-param name="s" select="$s"/></xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- YYYY, YYYY-MM or YYYY-MM-DD, a real day of a year from 0001. -->
  <xsl:template name="is-date">
    <xsl:param name="s"/>
    <xsl:variable name="form" select="translate($s, '0123456789', '0000000000')"/>
    <xsl:variable name="y" select="number(substring($s, 1, 4))"/>
    <xsl:variable name="m" select="number(substring($s, 6, 2))"/>
    <xsl:variable name="d" select="number(substring($s, 9, 2))"/>
    <xsl:variable name="leap" select="($y mod 4 = 0 and $y mod 100 != 0) or $y mod 400 = 0"/>
    <xsl:variable name="days"
        select="31 - ($m = 4 or $m = 6 or $m = 9 or $m = 11) - ($m = 2) * (3 - $leap)"/>
    <xsl:choose>
      <xsl:when test="$y &lt; 1"/>
      <xsl:when test="$form = '0000'">1</xsl:when>
      <xsl:when test="$m &lt; 1 or $m &gt; 12"/>
      <xsl:when test="$form = '0000-00'">1</xsl:when>
      <xsl:when test="$form = '0000-00-00' and $d &gt;= 1 and $d &lt;= $days">1</xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- YYYY-MM-DDThh:mm:ss, an optional fraction of a second, an optional
       time zone (Z, +hh:mm, -hh:mm). -->
  <xsl:template name="is-datetime">
    <xsl:param name="s"/>
    <xsl:variable name="date">
      <xsl:call-template name="is-date"><xsl:with-param name="s" select="substring($s, 1, 10)"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="time" select="substring($s, 12, 8)"/>
    <xsl:variable name="rest" select="substring($s, 20)"/>
    <xsl:variable name="zone">
      <xsl:choose>
        <xsl:when test="substring($rest, string-length($rest)) = 'Z'">Z</xsl:when>
        <xsl:when test="string-length($rest) &gt;= 6 and contains('+-', substring($rest, string-length($rest) - 5, 1))">
          <xsl:value-of select="substring($rest, string-length($rest) - 5)"/>
        </xsl:when>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="fraction" select="substring($rest, 1, string-length($rest) - string-length($zone))"/>
    <xsl:variable name="zone-ok"
        select="$zone = '' or $zone = 'Z'
                or (translate(substring($zone, 2), '0123456789', '0000000000') = '00:00'
                    and number(substring($zone, 2, 2)) * 60 + number(substring($zone, 5, 2)) &lt;= 840
                    and number(substring($zone, 5, 2)) &lt;= 59)"/>
    <xsl:variable name="fraction-ok"
        select="$fraction = ''
                or (starts-with($fraction, '.') and string-length($fraction) &gt; 1
                    and translate(substring($fraction, 2), '0123456789', '') = '')"/>
    <xsl:if test="string-length($date) = 1 and string-length(substring($s, 1, 10)) = 10
                  and translate(substring($s, 1, 10), '0123456789', '0000000000') = '0000-00-00'
                  and substring($s, 11, 1) = 'T'
                  and translate($time, '0123456789', '0000000000') = '00:00:00'
                  and number(substring($time, 1, 2)) &lt;= 23
                  and number(substring($time, 4, 2)) &lt;= 59
                  and number(substring($time, 7, 2)) &lt;= 59
                  and $fraction-ok and $zone-ok">1</xsl:if>
  </xsl:template>

</xsl:stylesheet>

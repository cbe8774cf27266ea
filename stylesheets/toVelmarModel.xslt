<?xml version="1.0" encoding="UTF-8"?>
<!--
  An ISO 19139 record (gmd:MD_Metadata, gmi:MI_Metadata, or the Tidewise
  extension of either) to the host's metadata (root "metadata", ISO 19115
  short names).

  Written for records of any origin: elements in any order, optional
  wrappers, gco:nilReason in place of values, gmx:Anchor or PT_FreeText in
  place of gco:CharacterString, code list values as names (or with their list
  name in front), the GML 3.1 namespace of older records, a service record.
  Where ISO allows several values and the host keeps one (contacts,
  constraints, quality reports of one kind, reference systems), the first
  counts. A property that holds only a nilReason gives nothing: placeholders
  never become values. What the host's model has no place for is left out.

  The Tidewise extension (tidewise.xsd) brings back the texts that
  toTidewiseModel.xslt could not write as ISO values: tw:verbatim of a class
  wins over its gmd property, and a code under a code list of ours is the
  host's text itself.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:gmd="http://www.isotc211.org/2005/gmd"
    xmlns:gco="http://www.isotc211.org/2005/gco"
    xmlns:gml="http://www.opengis.net/gml/3.2"
    xmlns:gml31="http://www.opengis.net/gml"
    xmlns:gmx="http://www.isotc211.org/2005/gmx"
    xmlns:gmi="http://www.isotc211.org/2005/gmi"
    xmlns:srv="http://www.isotc211.org/2005/srv"
    xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:tw="http://www.tidewise.org/2026/iso19139-ext"
    xmlns:map="http://www.tidewise.org/2026/iso19139-ext/map"
    exclude-result-prefixes="gmd gco gml gml31 gmx gmi srv xlink tw map">

  <xsl:output method="xml" encoding="UTF-8" indent="yes"/>

  <xsl:variable name="tw-ns" select="'http://www.tidewise.org/2026/iso19139-ext'"/>
  <xsl:variable name="theme-thesaurus" select="'Tidewise themes'"/>

  <!-- ===================================================================
       Tables. The same tables stand in toTidewiseModel.xslt.
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

  <xsl:variable name="maps" select="document('')/xsl:stylesheet"/>
  <xsl:key name="code-by-iso" match="map:v" use="concat(../@list, ' ', @iso)"/>
  <xsl:key name="code-by-lower-iso" match="map:v"
      use="concat(../@list, ' ', translate(@iso, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz'))"/>
  <xsl:key name="code-by-code" match="map:v[@code]" use="concat(../@list, ' ', @code)"/>
  <xsl:key name="quality" match="map:e" use="@iso"/>
  <!-- Quality reports by class, the first of each kind being the one kept. -->
  <xsl:key name="report" match="gmd:report/*" use="local-name()"/>

  <!-- ===================================================================
       The record
       =================================================================== -->

  <xsl:template match="/">
    <xsl:variable name="record" select="(gmd:MD_Metadata | gmi:MI_Metadata | tw:MD_Metadata)[1]"/>
    <xsl:choose>
      <xsl:when test="$record">
        <xsl:call-template name="metadata">
          <xsl:with-param name="md" select="$record"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <!-- A record inside a wrapper, as a catalogue answers a request. -->
        <xsl:variable name="nested" select="(//gmd:MD_Metadata | //gmi:MI_Metadata | //tw:MD_Metadata)[1]"/>
        <xsl:if test="not($nested)">
          <xsl:message terminate="yes">not an ISO 19139 record: no gmd:MD_Metadata or gmi:MI_Metadata element</xsl:message>
        </xsl:if>
        <xsl:call-template name="metadata">
          <xsl:with-param name="md" select="$nested"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="metadata">
    <xsl:param name="md"/>
    <xsl:variable name="ident" select="($md/gmd:identificationInfo/*)[1]"/>
    <xsl:variable name="keywords" select="$ident/gmd:descriptiveKeywords/gmd:MD_Keywords"/>
    <xsl:variable name="themes"
        select="$keywords[normalize-space(gmd:thesaurusName/gmd:CI_Citation/gmd:title/*) = $theme-thesaurus]"/>
    <metadata>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'mdFileID'"/>
        <xsl:with-param name="p" select="$md/gmd:fileIdentifier"/>
      </xsl:call-template>
      <xsl:call-template name="language">
        <xsl:with-param name="name" select="'mdLang'"/>
        <xsl:with-param name="p" select="$md/gmd:language"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'mdChar2'"/>
        <xsl:with-param name="p" select="$md/gmd:characterSet"/>
        <xsl:with-param name="list" select="'MD_CharacterSetCode'"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'mdParentID'"/>
        <xsl:with-param name="p" select="$md/gmd:parentIdentifier"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'mdHrLv2'"/>
        <xsl:with-param name="p" select="$md/gmd:hierarchyLevel"/>
        <xsl:with-param name="list" select="'MD_ScopeCode'"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'mdHrLvName'"/>
        <xsl:with-param name="p" select="$md/gmd:hierarchyLevelName"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'mdStanName2'"/>
        <xsl:with-param name="p" select="$md/gmd:metadataStandardName"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'mdStanVer2'"/>
        <xsl:with-param name="p" select="$md/gmd:metadataStandardVersion"/>
      </xsl:call-template>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'mdDateSt'"/>
        <xsl:with-param name="p" select="$md/gmd:dateStamp"/>
        <xsl:with-param name="verbatim" select="$md/tw:verbatim[@property = 'dateStamp']"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'dataSetURI'"/>
        <xsl:with-param name="p" select="$md/gmd:dataSetURI"/>
      </xsl:call-template>
      <xsl:call-template name="party">
        <xsl:with-param name="name" select="'mdContact'"/>
        <xsl:with-param name="party" select="($md/gmd:contact/gmd:CI_ResponsibleParty)[1]"/>
        <xsl:with-param name="role-code" select="'RoleCd'"/>
      </xsl:call-template>
      <xsl:if test="$ident">
        <xsl:call-template name="dataIdInfo">
          <xsl:with-param name="ident" select="$ident"/>
          <xsl:with-param name="keywords" select="$keywords[count(. | $themes) != count($themes)]"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:if test="$md/gmd:dataQualityInfo/gmd:DQ_DataQuality">
        <xsl:call-template name="dqInfo">
          <xsl:with-param name="dqs" select="$md/gmd:dataQualityInfo/gmd:DQ_DataQuality"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:for-each select="($md/gmd:distributionInfo/gmd:MD_Distribution)[1]">
        <xsl:call-template name="distInfo">
          <xsl:with-param name="dist" select="."/>
        </xsl:call-template>
      </xsl:for-each>
      <xsl:for-each select="($md/gmd:spatialRepresentationInfo/gmd:MD_VectorSpatialRepresentation)[1]">
        <xsl:call-template name="VectSpatRep">
          <xsl:with-param name="vector" select="."/>
        </xsl:call-template>
      </xsl:for-each>
      <xsl:variable name="representations" select="$md/gmd:spatialRepresentationInfo"/>
      <xsl:for-each select="($representations/gmd:MD_GridSpatialRepresentation | $representations/tw:MD_GridSpatialRepresentation
                             | $representations/gmd:MD_Georectified | $representations/gmd:MD_Georeferenceable)[1]">
        <xsl:call-template name="GridSpatRep">
          <xsl:with-param name="grid" select="."/>
        </xsl:call-template>
      </xsl:for-each>
      <xsl:call-template name="MdCoRefSys">
        <xsl:with-param name="systems" select="$md/gmd:referenceSystemInfo/*"/>
      </xsl:call-template>
      <xsl:for-each select="$md/gmd:applicationSchemaInfo/gmd:MD_ApplicationSchemaInformation">
        <xsl:call-template name="appSchInfo">
          <xsl:with-param name="schema" select="."/>
        </xsl:call-template>
      </xsl:for-each>
      <xsl:if test="$themes">
        <tideExt>
          <xsl:for-each select="$themes/gmd:keyword">
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'tidTopic'"/>
              <xsl:with-param name="p" select="."/>
            </xsl:call-template>
          </xsl:for-each>
        </tideExt>
      </xsl:if>
    </metadata>
  </xsl:template>

  <!-- ===================================================================
       Identification
       =================================================================== -->

  <!-- Data or service identification: what they share. -->
  <xsl:template name="dataIdInfo">
    <xsl:param name="ident"/>
    <xsl:param name="keywords"/>
    <xsl:variable name="constraints" select="$ident/gmd:resourceConstraints/*"/>
    <xsl:variable name="extents" select="$ident/gmd:extent/gmd:EX_Extent | $ident/srv:extent/gmd:EX_Extent"/>
    <xsl:variable name="geodesc"
        select="($extents/gmd:geographicElement/gmd:EX_GeographicDescription
                 | $extents/gmd:geographicElement/tw:EX_GeographicDescription)[1]"/>
    <dataIdInfo>
      <xsl:call-template name="citation">
        <xsl:with-param name="name" select="'idCitation'"/>
        <xsl:with-param name="citation" select="$ident/gmd:citation/gmd:CI_Citation"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'idAbs'"/>
        <xsl:with-param name="p" select="$ident/gmd:abstract"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'idPurp'"/>
        <xsl:with-param name="p" select="$ident/gmd:purpose"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'idStatus'"/>
        <xsl:with-param name="p" select="$ident/gmd:status"/>
        <xsl:with-param name="list" select="'MD_ProgressCode'"/>
      </xsl:call-template>
      <xsl:call-template name="party">
        <xsl:with-param name="name" select="'idPoC'"/>
        <xsl:with-param name="party" select="($ident/gmd:pointOfContact/gmd:CI_ResponsibleParty)[1]"/>
      </xsl:call-template>
      <xsl:for-each select="$keywords">
        <searchKeys>
          <xsl:for-each select="gmd:keyword">
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'keyword'"/>
              <xsl:with-param name="p" select="."/>
            </xsl:call-template>
          </xsl:for-each>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'keyTyp'"/>
            <xsl:with-param name="code" select="'KeyTypCd'"/>
            <xsl:with-param name="p" select="gmd:type"/>
            <xsl:with-param name="list" select="'MD_KeywordTypeCode'"/>
          </xsl:call-template>
          <xsl:call-template name="citation">
            <xsl:with-param name="name" select="'thesaName'"/>
            <xsl:with-param name="citation" select="gmd:thesaurusName/gmd:CI_Citation"/>
          </xsl:call-template>
        </searchKeys>
      </xsl:for-each>
      <xsl:if test="$constraints">
        <LegConsts>
          <xsl:for-each select="$constraints/gmd:useLimitation">
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'useLimit'"/>
              <xsl:with-param name="p" select="."/>
            </xsl:call-template>
          </xsl:for-each>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'accessConsts'"/>
            <xsl:with-param name="code" select="'RestrictCd'"/>
            <xsl:with-param name="p" select="$constraints/gmd:accessConstraints"/>
            <xsl:with-param name="list" select="'MD_RestrictionCode'"/>
          </xsl:call-template>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'useConsts'"/>
            <xsl:with-param name="code" select="'RestrictCd'"/>
            <xsl:with-param name="p" select="$constraints/gmd:useConstraints"/>
            <xsl:with-param name="list" select="'MD_RestrictionCode'"/>
          </xsl:call-template>
          <xsl:for-each select="$constraints/gmd:otherConstraints">
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'othConsts'"/>
              <xsl:with-param name="p" select="."/>
            </xsl:call-template>
          </xsl:for-each>
        </LegConsts>
      </xsl:if>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'spatRpType'"/>
        <xsl:with-param name="code" select="'spatRepTypCd'"/>
        <xsl:with-param name="p" select="$ident/gmd:spatialRepresentationType"/>
        <xsl:with-param name="list" select="'MD_SpatialRepresentationTypeCode'"/>
      </xsl:call-template>
      <xsl:call-template name="language">
        <xsl:with-param name="name" select="'dataLang'"/>
        <xsl:with-param name="p" select="$ident/gmd:language"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'dataChar'"/>
        <xsl:with-param name="p" select="$ident/gmd:characterSet"/>
        <xsl:with-param name="list" select="'MD_CharacterSetCode'"/>
      </xsl:call-template>
      <xsl:for-each select="$ident/gmd:topicCategory/gmd:MD_TopicCategoryCode">
        <xsl:call-template name="code">
          <xsl:with-param name="name" select="'tpCat'"/>
          <xsl:with-param name="code" select="'TopicCatCd'"/>
          <xsl:with-param name="p" select=".."/>
          <xsl:with-param name="list" select="'MD_TopicCategoryCode'"/>
        </xsl:call-template>
      </xsl:for-each>
      <xsl:if test="$extents/gmd:description or $extents/gmd:geographicElement/gmd:EX_GeographicBoundingBox
                    or $extents/gmd:geographicElement/tw:EX_GeographicBoundingBox
                    or $extents/gmd:temporalElement or $extents/gmd:verticalElement">
        <dataExt>
          <xsl:call-template name="extent">
            <xsl:with-param name="extents" select="$extents"/>
            <xsl:with-param name="description" select="'exDesc'"/>
            <xsl:with-param name="box-wrapper" select="'geoEle'"/>
            <xsl:with-param name="id" select="'dataExt'"/>
          </xsl:call-template>
        </dataExt>
      </xsl:if>
      <xsl:for-each select="$geodesc">
        <geoDesc>
          <xsl:call-template name="typed">
            <xsl:with-param name="name" select="'exTypeCode'"/>
            <xsl:with-param name="p" select="gmd:extentTypeCode"/>
            <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'extentTypeCode']"/>
          </xsl:call-template>
          <xsl:call-template name="identifier">
            <xsl:with-param name="name" select="'geoId'"/>
            <xsl:with-param name="identifier" select="gmd:geographicIdentifier/*"/>
          </xsl:call-template>
        </geoDesc>
      </xsl:for-each>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'suppInfo'"/>
        <xsl:with-param name="p" select="$ident/gmd:supplementalInformation"/>
      </xsl:call-template>
    </dataIdInfo>
  </xsl:template>

  <!-- ===================================================================
       Citation, responsible party, identifier, online resource
       =================================================================== -->

  <xsl:template name="citation">
    <xsl:param name="name"/>
    <xsl:param name="citation"/>
    <xsl:for-each select="$citation[1]">
      <xsl:element name="{$name}">
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'resTitle'"/>
          <xsl:with-param name="p" select="gmd:title"/>
        </xsl:call-template>
        <xsl:for-each select="gmd:date/gmd:CI_Date | gmd:date/tw:CI_Date">
          <resRefDate>
            <xsl:call-template name="typed">
              <xsl:with-param name="name" select="'refDate'"/>
              <xsl:with-param name="p" select="gmd:date"/>
              <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'date']"/>
            </xsl:call-template>
            <xsl:call-template name="code">
              <xsl:with-param name="name" select="'refDateType'"/>
              <xsl:with-param name="code" select="'DateTypCd'"/>
              <xsl:with-param name="p" select="gmd:dateType"/>
              <xsl:with-param name="list" select="'CI_DateTypeCode'"/>
            </xsl:call-template>
          </resRefDate>
        </xsl:for-each>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- A responsible party. Its role is a name (the Contact page's form), or
       a RoleCd code where $role-code names that element. -->
  <xsl:template name="party">
    <xsl:param name="name"/>
    <xsl:param name="party"/>
    <xsl:param name="role-code" select="''"/>
    <xsl:for-each select="$party">
      <xsl:element name="{$name}">
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'rpIndName'"/>
          <xsl:with-param name="p" select="gmd:individualName"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'rpOrgName'"/>
          <xsl:with-param name="p" select="gmd:organisationName"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'rpPosName'"/>
          <xsl:with-param name="p" select="gmd:positionName"/>
        </xsl:call-template>
        <xsl:for-each select="gmd:contactInfo/gmd:CI_Contact">
          <rpCntInfo>
            <xsl:for-each select="gmd:phone/gmd:CI_Telephone">
              <cntPhone>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'voiceNum'"/>
                  <xsl:with-param name="p" select="gmd:voice"/>
                </xsl:call-template>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'faxNum'"/>
                  <xsl:with-param name="p" select="gmd:facsimile"/>
                </xsl:call-template>
              </cntPhone>
            </xsl:for-each>
            <xsl:for-each select="gmd:address/gmd:CI_Address">
              <cntAddress>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'delPoint'"/>
                  <xsl:with-param name="p" select="gmd:deliveryPoint"/>
                </xsl:call-template>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'city'"/>
                  <xsl:with-param name="p" select="gmd:city"/>
                </xsl:call-template>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'adminArea'"/>
                  <xsl:with-param name="p" select="gmd:administrativeArea"/>
                </xsl:call-template>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'postCode'"/>
                  <xsl:with-param name="p" select="gmd:postalCode"/>
                </xsl:call-template>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'country'"/>
                  <xsl:with-param name="p" select="gmd:country"/>
                </xsl:call-template>
                <xsl:call-template name="str">
                  <xsl:with-param name="name" select="'eMailAdd'"/>
                  <xsl:with-param name="p" select="gmd:electronicMailAddress"/>
                </xsl:call-template>
              </cntAddress>
            </xsl:for-each>
            <xsl:call-template name="online-resource">
              <xsl:with-param name="name" select="'cntOnlineRes'"/>
              <xsl:with-param name="resource" select="gmd:onlineResource/gmd:CI_OnlineResource"/>
            </xsl:call-template>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'cntHours'"/>
              <xsl:with-param name="p" select="gmd:hoursOfService"/>
            </xsl:call-template>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'cntInstr'"/>
              <xsl:with-param name="p" select="gmd:contactInstructions"/>
            </xsl:call-template>
          </rpCntInfo>
        </xsl:for-each>
        <xsl:call-template name="code">
          <xsl:with-param name="name" select="'role'"/>
          <xsl:with-param name="code" select="$role-code"/>
          <xsl:with-param name="p" select="gmd:role"/>
          <xsl:with-param name="list" select="'CI_RoleCode'"/>
        </xsl:call-template>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <xsl:template name="online-resource">
    <xsl:param name="name"/>
    <xsl:param name="resource"/>
    <xsl:for-each select="$resource[1]">
      <xsl:element name="{$name}">
        <xsl:if test="gmd:linkage/gmd:URL">
          <linkage><xsl:value-of select="gmd:linkage/gmd:URL"/></linkage>
        </xsl:if>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'protocol'"/>
          <xsl:with-param name="p" select="gmd:protocol"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'orName'"/>
          <xsl:with-param name="p" select="gmd:name"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'orDesc'"/>
          <xsl:with-param name="p" select="gmd:description"/>
        </xsl:call-template>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- An MD_Identifier or RS_Identifier (or a class derived from them). -->
  <xsl:template name="identifier">
    <xsl:param name="name"/>
    <xsl:param name="identifier"/>
    <xsl:for-each select="$identifier[1]">
      <xsl:element name="{$name}">
        <xsl:call-template name="citation">
          <xsl:with-param name="name" select="'identAuth'"/>
          <xsl:with-param name="citation" select="gmd:authority/gmd:CI_Citation"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'identCode'"/>
          <xsl:with-param name="p" select="gmd:code"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'idCodeSpace'"/>
          <xsl:with-param name="p" select="gmd:codeSpace"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'idVersion'"/>
          <xsl:with-param name="p" select="gmd:version"/>
        </xsl:call-template>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Extent
       =================================================================== -->

  <!-- The content of the host's extent from the EX_Extent elements given:
       the first description, bounding box, temporal and vertical extent. -->
  <xsl:template name="extent">
    <xsl:param name="extents"/>
    <xsl:param name="description"/>
    <xsl:param name="box-wrapper" select="''"/>
    <xsl:param name="id"/>
    <xsl:variable name="geographic" select="$extents/gmd:geographicElement"/>
    <xsl:variable name="box"
        select="($geographic/gmd:EX_GeographicBoundingBox | $geographic/tw:EX_GeographicBoundingBox)[1]"/>
    <xsl:call-template name="str">
      <xsl:with-param name="name" select="$description"/>
      <xsl:with-param name="p" select="$extents/gmd:description"/>
    </xsl:call-template>
    <xsl:if test="$box">
      <xsl:choose>
        <xsl:when test="$box-wrapper">
          <xsl:element name="{$box-wrapper}">
            <xsl:call-template name="GeoBndBox">
              <xsl:with-param name="box" select="$box"/>
            </xsl:call-template>
          </xsl:element>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="GeoBndBox">
            <xsl:with-param name="box" select="$box"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:if>
    <xsl:for-each select="($extents/gmd:temporalElement/*)[1]">
      <xsl:variable name="period" select="gmd:extent/gml:TimePeriod | gmd:extent/gml31:TimePeriod"/>
      <xsl:variable name="instant" select="gmd:extent/gml:TimeInstant | gmd:extent/gml31:TimeInstant"/>
      <tempEle>
        <exTemp>
          <xsl:choose>
            <xsl:when test="$period">
              <beginEnd>
                <xsl:call-template name="position">
                  <xsl:with-param name="name" select="'begin'"/>
                  <xsl:with-param name="position"
                      select="$period/gml:beginPosition | $period/gml31:beginPosition
                              | $period/gml:begin/gml:TimeInstant/gml:timePosition
                              | $period/gml31:begin/gml31:TimeInstant/gml31:timePosition"/>
                  <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'beginPosition']"/>
                </xsl:call-template>
                <xsl:call-template name="position">
                  <xsl:with-param name="name" select="'end'"/>
                  <xsl:with-param name="position"
                      select="$period/gml:endPosition | $period/gml31:endPosition
                              | $period/gml:end/gml:TimeInstant/gml:timePosition
                              | $period/gml31:end/gml31:TimeInstant/gml31:timePosition"/>
                  <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'endPosition']"/>
                </xsl:call-template>
              </beginEnd>
            </xsl:when>
            <xsl:when test="$instant">
              <xsl:call-template name="position">
                <xsl:with-param name="name" select="'instant'"/>
                <xsl:with-param name="position" select="$instant/gml:timePosition | $instant/gml31:timePosition"/>
                <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'timePosition']"/>
              </xsl:call-template>
            </xsl:when>
          </xsl:choose>
        </exTemp>
      </tempEle>
    </xsl:for-each>
    <xsl:for-each select="($extents/gmd:verticalElement/gmd:EX_VerticalExtent | $extents/gmd:verticalElement/tw:EX_VerticalExtent)[1]">
      <vertEle>
        <xsl:call-template name="typed">
          <xsl:with-param name="name" select="'vertMinVal'"/>
          <xsl:with-param name="p" select="gmd:minimumValue"/>
          <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'minimumValue']"/>
        </xsl:call-template>
        <xsl:call-template name="typed">
          <xsl:with-param name="name" select="'vertMaxVal'"/>
          <xsl:with-param name="p" select="gmd:maximumValue"/>
          <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'maximumValue']"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'vertUoM'"/>
          <xsl:with-param name="p" select="tw:unitOfMeasure"/>
        </xsl:call-template>
        <xsl:if test="string(gmd:verticalCRS/@xlink:href)">
          <vertCRS><xsl:value-of select="gmd:verticalCRS/@xlink:href"/></vertCRS>
        </xsl:if>
      </vertEle>
    </xsl:for-each>
  </xsl:template>

  <xsl:template name="GeoBndBox">
    <xsl:param name="box"/>
    <GeoBndBox>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'exTypeCode'"/>
        <xsl:with-param name="p" select="$box/gmd:extentTypeCode"/>
        <xsl:with-param name="verbatim" select="$box/tw:verbatim[@property = 'extentTypeCode']"/>
      </xsl:call-template>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'westBL'"/>
        <xsl:with-param name="p" select="$box/gmd:westBoundLongitude"/>
        <xsl:with-param name="verbatim" select="$box/tw:verbatim[@property = 'westBoundLongitude']"/>
      </xsl:call-template>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'eastBL'"/>
        <xsl:with-param name="p" select="$box/gmd:eastBoundLongitude"/>
        <xsl:with-param name="verbatim" select="$box/tw:verbatim[@property = 'eastBoundLongitude']"/>
      </xsl:call-template>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'northBL'"/>
        <xsl:with-param name="p" select="$box/gmd:northBoundLatitude"/>
        <xsl:with-param name="verbatim" select="$box/tw:verbatim[@property = 'northBoundLatitude']"/>
      </xsl:call-template>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'southBL'"/>
        <xsl:with-param name="p" select="$box/gmd:southBoundLatitude"/>
        <xsl:with-param name="verbatim" select="$box/tw:verbatim[@property = 'southBoundLatitude']"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'altiBoundLongitude'"/>
        <xsl:with-param name="p" select="$box/tw:altitudeBoundLongitude"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'altiBoundLatitude'"/>
        <xsl:with-param name="p" select="$box/tw:altitudeBoundLatitude"/>
      </xsl:call-template>
    </GeoBndBox>
  </xsl:template>

  <!-- A time position: its text, else its indeterminate position (an
       unknown one is no value). -->
  <xsl:template name="position">
    <xsl:param name="name"/>
    <xsl:param name="position"/>
    <xsl:param name="verbatim"/>
    <xsl:variable name="value" select="normalize-space($position[1])"/>
    <xsl:variable name="indeterminate" select="normalize-space($position[1]/@indeterminatePosition)"/>
    <xsl:choose>
      <xsl:when test="$verbatim">
        <xsl:element name="{$name}"><xsl:value-of select="$verbatim[1]/*"/></xsl:element>
      </xsl:when>
      <xsl:when test="$value">
        <xsl:element name="{$name}"><xsl:value-of select="$value"/></xsl:element>
      </xsl:when>
      <xsl:when test="$indeterminate and $indeterminate != 'unknown'">
        <xsl:element name="{$name}">
          <xsl:attribute name="indeterminate"><xsl:value-of select="$indeterminate"/></xsl:attribute>
        </xsl:element>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- ===================================================================
       Reference system
       =================================================================== -->

  <!-- The first identifier of a reference system, and the first description
       of ours (tw:MD_CRS). -->
  <xsl:template name="MdCoRefSys">
    <xsl:param name="systems"/>
    <xsl:variable name="identifier" select="($systems/gmd:referenceSystemIdentifier/*)[1]"/>
    <xsl:variable name="crs" select="($systems[self::tw:MD_CRS])[1]"/>
    <xsl:if test="$identifier or $crs">
      <MdCoRefSys>
        <xsl:call-template name="identifier">
          <xsl:with-param name="name" select="'refSysId'"/>
          <xsl:with-param name="identifier" select="$identifier"/>
        </xsl:call-template>
        <xsl:for-each select="$crs">
          <xsl:call-template name="identifier">
            <xsl:with-param name="name" select="'projection'"/>
            <xsl:with-param name="identifier" select="tw:projection/*"/>
          </xsl:call-template>
          <xsl:call-template name="identifier">
            <xsl:with-param name="name" select="'ellipsoid'"/>
            <xsl:with-param name="identifier" select="tw:ellipsoid/*"/>
          </xsl:call-template>
          <xsl:call-template name="identifier">
            <xsl:with-param name="name" select="'datum'"/>
            <xsl:with-param name="identifier" select="tw:datum/*"/>
          </xsl:call-template>
          <xsl:call-template name="text-class">
            <xsl:with-param name="class" select="tw:projectionParameters/tw:MD_ProjectionParameters"/>
          </xsl:call-template>
          <xsl:call-template name="text-class">
            <xsl:with-param name="class" select="tw:ellipsoidParameters/tw:MD_EllipsoidParameters"/>
          </xsl:call-template>
        </xsl:for-each>
      </MdCoRefSys>
    </xsl:if>
  </xsl:template>

  <!-- A class of ours whose properties are all text, through its table. -->
  <xsl:template name="text-class">
    <xsl:param name="class"/>
    <xsl:for-each select="$class[1]">
      <xsl:variable name="values" select="*"/>
      <xsl:variable name="table" select="$maps/map:class[@iso = local-name(current())]"/>
      <xsl:element name="{$table/@host}">
        <xsl:for-each select="$table/map:p">
          <xsl:call-template name="str">
            <xsl:with-param name="name" select="@host"/>
            <xsl:with-param name="p" select="$values[local-name() = current()/@iso]"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Spatial representation, distribution, application schema
       =================================================================== -->

  <xsl:template name="VectSpatRep">
    <xsl:param name="vector"/>
    <VectSpatRep>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'topLvl'"/>
        <xsl:with-param name="p" select="$vector/gmd:topologyLevel"/>
        <xsl:with-param name="list" select="'MD_TopologyLevelCode'"/>
      </xsl:call-template>
      <xsl:for-each select="$vector/gmd:geometricObjects/gmd:MD_GeometricObjects | $vector/gmd:geometricObjects/tw:MD_GeometricObjects">
        <geometObjs>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'geoObjTyp'"/>
            <xsl:with-param name="p" select="gmd:geometricObjectType"/>
            <xsl:with-param name="list" select="'MD_GeometricObjectTypeCode'"/>
          </xsl:call-template>
          <xsl:call-template name="typed">
            <xsl:with-param name="name" select="'geoObjCnt'"/>
            <xsl:with-param name="p" select="gmd:geometricObjectCount"/>
            <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'geometricObjectCount']"/>
          </xsl:call-template>
        </geometObjs>
      </xsl:for-each>
    </VectSpatRep>
  </xsl:template>

  <xsl:template name="GridSpatRep">
    <xsl:param name="grid"/>
    <GridSpatRep>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'numDims'"/>
        <xsl:with-param name="p" select="$grid/gmd:numberOfDimensions"/>
        <xsl:with-param name="verbatim" select="$grid/tw:verbatim[@property = 'numberOfDimensions']"/>
      </xsl:call-template>
      <xsl:call-template name="code">
        <xsl:with-param name="name" select="'cellGeo'"/>
        <xsl:with-param name="p" select="$grid/gmd:cellGeometry"/>
        <xsl:with-param name="list" select="'MD_CellGeometryCode'"/>
      </xsl:call-template>
      <xsl:call-template name="typed">
        <xsl:with-param name="name" select="'tranParaAv'"/>
        <xsl:with-param name="p" select="$grid/gmd:transformationParameterAvailability"/>
        <xsl:with-param name="verbatim" select="$grid/tw:verbatim[@property = 'transformationParameterAvailability']"/>
      </xsl:call-template>
      <xsl:for-each select="$grid/gmd:axisDimensionProperties/gmd:MD_Dimension | $grid/gmd:axisDimensionProperties/tw:MD_Dimension">
        <axDimProps>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'dimName'"/>
            <xsl:with-param name="p" select="gmd:dimensionName"/>
            <xsl:with-param name="list" select="'MD_DimensionNameTypeCode'"/>
          </xsl:call-template>
          <xsl:call-template name="typed">
            <xsl:with-param name="name" select="'dimSize'"/>
            <xsl:with-param name="p" select="gmd:dimensionSize"/>
            <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'dimensionSize']"/>
          </xsl:call-template>
          <xsl:call-template name="typed">
            <xsl:with-param name="name" select="'dimResol'"/>
            <xsl:with-param name="p" select="gmd:resolution"/>
            <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'resolution']"/>
          </xsl:call-template>
        </axDimProps>
      </xsl:for-each>
    </GridSpatRep>
  </xsl:template>

  <xsl:template name="distInfo">
    <xsl:param name="dist"/>
    <distInfo>
      <xsl:for-each select="$dist/gmd:distributionFormat/gmd:MD_Format">
        <distFormat>
          <xsl:call-template name="str">
            <xsl:with-param name="name" select="'formatName'"/>
            <xsl:with-param name="p" select="gmd:name"/>
          </xsl:call-template>
          <xsl:call-template name="str">
            <xsl:with-param name="name" select="'formatVer'"/>
            <xsl:with-param name="p" select="gmd:version"/>
          </xsl:call-template>
        </distFormat>
      </xsl:for-each>
      <xsl:for-each select="$dist/gmd:distributor/gmd:MD_Distributor">
        <distributor>
          <xsl:call-template name="party">
            <xsl:with-param name="name" select="'distorCont'"/>
            <xsl:with-param name="party" select="(gmd:distributorContact/gmd:CI_ResponsibleParty)[1]"/>
            <xsl:with-param name="role-code" select="'RoleCd'"/>
          </xsl:call-template>
        </distributor>
      </xsl:for-each>
      <xsl:for-each select="$dist/gmd:transferOptions/gmd:MD_DigitalTransferOptions">
        <distTranOps>
          <xsl:for-each select="gmd:onLine/gmd:CI_OnlineResource">
            <xsl:call-template name="online-resource">
              <xsl:with-param name="name" select="'onLineSrc'"/>
              <xsl:with-param name="resource" select="."/>
            </xsl:call-template>
          </xsl:for-each>
        </distTranOps>
      </xsl:for-each>
    </distInfo>
  </xsl:template>

  <xsl:template name="appSchInfo">
    <xsl:param name="schema"/>
    <appSchInfo>
      <xsl:call-template name="citation">
        <xsl:with-param name="name" select="'asName'"/>
        <xsl:with-param name="citation" select="$schema/gmd:name/gmd:CI_Citation"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'asSchLang'"/>
        <xsl:with-param name="p" select="$schema/gmd:schemaLanguage"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'asCstLang'"/>
        <xsl:with-param name="p" select="$schema/gmd:constraintLanguage"/>
      </xsl:call-template>
      <xsl:call-template name="str">
        <xsl:with-param name="name" select="'asAscii'"/>
        <xsl:with-param name="p" select="$schema/gmd:schemaAscii"/>
      </xsl:call-template>
      <xsl:for-each select="$schema/gmd:graphicsFile/gco:Binary">
        <asGraFile><BinaryBase64><xsl:value-of select="."/></BinaryBase64></asGraFile>
      </xsl:for-each>
    </appSchInfo>
  </xsl:template>

  <!-- ===================================================================
       Data quality
       =================================================================== -->

  <!-- All data quality sections in one: the first scope and lineage, and
       the first report of each of the fifteen kinds. -->
  <xsl:template name="dqInfo">
    <xsl:param name="dqs"/>
    <dqInfo>
      <xsl:for-each select="($dqs/gmd:scope/gmd:DQ_Scope)[1]">
        <dqScope>
          <xsl:call-template name="code">
            <xsl:with-param name="name" select="'scpLvl'"/>
            <xsl:with-param name="code" select="'ScopeCd'"/>
            <xsl:with-param name="p" select="gmd:level"/>
            <xsl:with-param name="list" select="'MD_ScopeCode'"/>
          </xsl:call-template>
          <xsl:if test="gmd:extent/gmd:EX_Extent">
            <scpExt>
              <xsl:call-template name="extent">
                <xsl:with-param name="extents" select="gmd:extent/gmd:EX_Extent"/>
                <xsl:with-param name="description" select="'exDescr'"/>
                <xsl:with-param name="id" select="'scpExt'"/>
              </xsl:call-template>
            </scpExt>
          </xsl:if>
          <xsl:variable name="dataset" select="gmd:levelDescription/gmd:MD_ScopeDescription/gmd:dataset"/>
          <xsl:if test="$dataset">
            <scpLvlDesc>
              <xsl:call-template name="str">
                <xsl:with-param name="name" select="'datasetSet'"/>
                <xsl:with-param name="p" select="$dataset"/>
              </xsl:call-template>
            </scpLvlDesc>
          </xsl:if>
        </dqScope>
      </xsl:for-each>
      <xsl:for-each select="$dqs/gmd:report/*">
        <xsl:if test="generate-id() = generate-id(key('report', local-name())[1])">
          <xsl:variable name="report" select="."/>
          <xsl:for-each select="$maps">
            <xsl:for-each select="key('quality', local-name($report))">
              <xsl:call-template name="quality-element">
                <xsl:with-param name="name" select="@host"/>
                <xsl:with-param name="report" select="$report"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:for-each>
        </xsl:if>
      </xsl:for-each>
      <xsl:for-each select="($dqs/gmd:lineage/gmd:LI_Lineage)[1]">
        <dataLineage>
          <xsl:call-template name="str">
            <xsl:with-param name="name" select="'statement'"/>
            <xsl:with-param name="p" select="gmd:statement"/>
          </xsl:call-template>
        </dataLineage>
      </xsl:for-each>
    </dqInfo>
  </xsl:template>

  <!-- Any of the fifteen quality elements, under the host's name for it. -->
  <xsl:template name="quality-element">
    <xsl:param name="name"/>
    <xsl:param name="report"/>
    <xsl:for-each select="$report">
      <xsl:element name="{$name}">
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'measName'"/>
          <xsl:with-param name="p" select="gmd:nameOfMeasure"/>
        </xsl:call-template>
        <xsl:call-template name="identifier">
          <xsl:with-param name="name" select="'measId'"/>
          <xsl:with-param name="identifier" select="gmd:measureIdentification/*"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'measDesc'"/>
          <xsl:with-param name="p" select="gmd:measureDescription"/>
        </xsl:call-template>
        <xsl:call-template name="code">
          <xsl:with-param name="name" select="'evalMethType'"/>
          <xsl:with-param name="p" select="gmd:evaluationMethodType"/>
          <xsl:with-param name="list" select="'DQ_EvaluationMethodTypeCode'"/>
        </xsl:call-template>
        <xsl:call-template name="str">
          <xsl:with-param name="name" select="'evalMethDesc'"/>
          <xsl:with-param name="p" select="gmd:evaluationMethodDescription"/>
        </xsl:call-template>
        <xsl:call-template name="citation">
          <xsl:with-param name="name" select="'evalProc'"/>
          <xsl:with-param name="citation" select="gmd:evaluationProcedure/gmd:CI_Citation"/>
        </xsl:call-template>
        <xsl:call-template name="typed">
          <xsl:with-param name="name" select="'measDateTm'"/>
          <xsl:with-param name="p" select="gmd:dateTime"/>
          <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'dateTime']"/>
        </xsl:call-template>
        <xsl:for-each select="(gmd:result/gmd:DQ_ConformanceResult | gmd:result/tw:DQ_ConformanceResult)[1]">
          <ConResult>
            <xsl:call-template name="citation">
              <xsl:with-param name="name" select="'conSpec'"/>
              <xsl:with-param name="citation" select="gmd:specification/gmd:CI_Citation"/>
            </xsl:call-template>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'conExpl'"/>
              <xsl:with-param name="p" select="gmd:explanation"/>
            </xsl:call-template>
            <xsl:call-template name="typed">
              <xsl:with-param name="name" select="'conPass'"/>
              <xsl:with-param name="p" select="gmd:pass"/>
              <xsl:with-param name="verbatim" select="tw:verbatim[@property = 'pass']"/>
            </xsl:call-template>
          </ConResult>
        </xsl:for-each>
        <xsl:for-each select="(gmd:result/gmd:DQ_QuantitativeResult)[1]">
          <xsl:variable name="unit" select="gmd:valueUnit"/>
          <xsl:variable name="definition" select="$unit/gml:UnitDefinition | $unit/gml31:UnitDefinition"/>
          <xsl:variable name="unit-name"
              select="($definition/gml:identifier | $definition/gml31:identifier | $definition/gml:name
                       | $definition/gml31:name | $definition/gml:catalogSymbol | $definition/gml31:catalogSymbol
                       | $unit/@xlink:href)[1]"/>
          <QuanResult>
            <xsl:for-each select="gmd:valueType/gco:RecordType">
              <quanValType><xsl:value-of select="."/></quanValType>
            </xsl:for-each>
            <xsl:if test="$unit-name">
              <UomScale><uomName><xsl:value-of select="$unit-name"/></uomName></UomScale>
            </xsl:if>
            <xsl:call-template name="str">
              <xsl:with-param name="name" select="'errStat'"/>
              <xsl:with-param name="p" select="gmd:errorStatistic"/>
            </xsl:call-template>
            <xsl:for-each select="(gmd:value/gco:Record)[1]">
              <quanVal><otherValue><xsl:value-of select="."/></otherValue></quanVal>
            </xsl:for-each>
          </QuanResult>
        </xsl:for-each>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Properties
       =================================================================== -->

  <!-- A text property: the first value among $p (gco:CharacterString, or
       what stands in for it); nothing when they hold none. -->
  <xsl:template name="str">
    <xsl:param name="name"/>
    <xsl:param name="p"/>
    <xsl:variable name="value"
        select="($p/gco:CharacterString | $p/gmx:Anchor | $p/gmx:FileName | $p/gmx:MimeFileType
                 | $p/gmd:PT_FreeText/gmd:textGroup/gmd:LocalisedCharacterString)[1]"/>
    <xsl:if test="$value">
      <xsl:element name="{$name}"><xsl:value-of select="$value"/></xsl:element>
    </xsl:if>
  </xsl:template>

  <!-- A property of another ISO type, as text; its verbatim text from the
       extension when there is one. Booleans as "true" and "false", a
       measure as the value, a space and its unit. -->
  <xsl:template name="typed">
    <xsl:param name="name"/>
    <xsl:param name="p"/>
    <xsl:param name="verbatim"/>
    <xsl:variable name="v" select="($p/*)[1]"/>
    <xsl:variable name="text" select="normalize-space($v)"/>
    <xsl:choose>
      <xsl:when test="$verbatim">
        <xsl:element name="{$name}"><xsl:value-of select="$verbatim[1]/*"/></xsl:element>
      </xsl:when>
      <xsl:when test="$text = ''"/>
      <xsl:when test="$v/self::gco:Boolean">
        <xsl:element name="{$name}">
          <xsl:choose>
            <xsl:when test="$text = '1' or $text = 'true'">true</xsl:when>
            <xsl:when test="$text = '0' or $text = 'false'">false</xsl:when>
            <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
          </xsl:choose>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$v/@uom">
        <xsl:element name="{$name}"><xsl:value-of select="concat($text, ' ', $v/@uom)"/></xsl:element>
      </xsl:when>
      <xsl:otherwise>
        <xsl:element name="{$name}"><xsl:value-of select="$text"/></xsl:element>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="language">
    <xsl:param name="name"/>
    <xsl:param name="p"/>
    <xsl:variable name="code" select="($p/gmd:LanguageCode)[1]"/>
    <xsl:variable name="value">
      <xsl:choose>
        <xsl:when test="normalize-space($code/@codeListValue)"><xsl:value-of select="normalize-space($code/@codeListValue)"/></xsl:when>
        <xsl:when test="$code"><xsl:value-of select="normalize-space($code)"/></xsl:when>
        <xsl:otherwise><xsl:value-of select="normalize-space(($p/gco:CharacterString)[1])"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:if test="string($value)">
      <xsl:element name="{$name}"><languageCode value="{$value}"/></xsl:element>
    </xsl:if>
  </xsl:template>

  <!-- A code list property: the host's name as the text of $name, or, where
       $code names the code element, the host's three-digit code in its
       attribute "value". A value under a code list of ours is the host's
       text itself; an ISO value outside the table is kept as it is. -->
  <xsl:template name="code">
    <xsl:param name="name"/>
    <xsl:param name="code" select="''"/>
    <xsl:param name="p"/>
    <xsl:param name="list"/>
    <xsl:variable name="element" select="($p/*)[1]"/>
    <xsl:variable name="given">
      <xsl:choose>
        <xsl:when test="normalize-space($element/@codeListValue)"><xsl:value-of select="normalize-space($element/@codeListValue)"/></xsl:when>
        <xsl:otherwise><xsl:value-of select="normalize-space($element)"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <!-- Older records write "MD_CharacterSetCode_utf8". -->
    <xsl:variable name="iso">
      <xsl:choose>
        <xsl:when test="starts-with($given, concat(local-name($element), '_'))">
          <xsl:value-of select="substring-after($given, concat(local-name($element), '_'))"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="$given"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="host">
      <xsl:choose>
        <xsl:when test="starts-with($element/@codeList, $tw-ns)"><xsl:value-of select="$element"/></xsl:when>
        <xsl:otherwise>
          <xsl:for-each select="$maps">
            <xsl:variable name="row"
                select="(key('code-by-iso', concat($list, ' ', $iso))
                         | key('code-by-lower-iso', concat($list, ' ', translate($iso, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')))
                         | key('code-by-code', concat($list, ' ', $iso)))[1]"/>
            <xsl:choose>
              <xsl:when test="$row and $code"><xsl:value-of select="$row/@code"/></xsl:when>
              <xsl:when test="$row/@name"><xsl:value-of select="$row/@name"/></xsl:when>
              <xsl:when test="$row"><xsl:value-of select="$row/@iso"/></xsl:when>
              <xsl:otherwise><xsl:value-of select="$iso"/></xsl:otherwise>
            </xsl:choose>
          </xsl:for-each>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:if test="string($host)">
      <xsl:element name="{$name}">
        <xsl:choose>
          <xsl:when test="$code">
            <xsl:element name="{$code}">
              <xsl:attribute name="value"><xsl:value-of select="$host"/></xsl:attribute>
            </xsl:element>
          </xsl:when>
          <xsl:otherwise><xsl:value-of select="$host"/></xsl:otherwise>
        </xsl:choose>
      </xsl:element>
    </xsl:if>
  </xsl:template>

</xsl:stylesheet>

<?xml version="1.0" encoding="UTF-8"?>
<!--
  The host's metadata (root "metadata", ISO 19115 short names) to an ISO 19139
  record.

  The tables of iso19139-map.xsl drive everything: an object is written by its
  class's table, property by property in ISO's order, each from the host
  elements the row names. A text that is a valid value of its ISO type goes
  into the plain gco element; any other text (a resolution "1,5", a date
  "abc", a boolean "yes") goes verbatim into tw:verbatim of the enclosing
  class, which then becomes the Tidewise element that extends it
  (tidewise.xsd), and the gmd property holds gco:nilReason="other:verbatim". A
  code outside ISO's code list keeps the gmd code element with a codeList of
  ours. What ISO requires and the item lacks is written with
  gco:nilReason="missing". ISO elements the item carries (host element carry)
  are written back after the property they followed.

  Where a property does not repeat, the first host element counts, as on the
  pages.
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:gmd="http://www.isotc211.org/2005/gmd"
    xmlns:gco="http://www.isotc211.org/2005/gco"
    xmlns:gml="http://www.opengis.net/gml/3.2"
    xmlns:gmx="http://www.isotc211.org/2005/gmx"
    xmlns:gts="http://www.isotc211.org/2005/gts"
    xmlns:srv="http://www.isotc211.org/2005/srv"
    xmlns:gmi="http://www.isotc211.org/2005/gmi"
    xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
    xmlns:tw="http://www.tidewise.org/2026/iso19139-ext"
    xmlns:map="http://www.tidewise.org/2026/iso19139-ext/map"
    xmlns:exsl="http://exslt.org/common"
    extension-element-prefixes="exsl"
    exclude-result-prefixes="map exsl tw xlink gmx gts srv gmi">

  <xsl:include href="iso19139-map.xsl"/>
  <xsl:include href="iso19115-3.xsl"/>

  <!-- The standard the record is written in: "iso19139", or "iso19115-3"
       (the ISO 19139 record, then written as ISO 19115-3). The host passes it. -->
  <xsl:param name="format" select="'iso19139'"/>

  <xsl:output method="xml" encoding="UTF-8" indent="yes"/>

  <xsl:variable name="tw-ns" select="'http://www.tidewise.org/2026/iso19139-ext'"/>
  <xsl:variable name="iso-codelists"
      select="'http://standards.iso.org/ittf/PubliclyAvailableStandards/ISO_19139_Schemas/resources/Codelist/gmxCodelists.xml'"/>
  <xsl:variable name="theme-thesaurus" select="'Tidewise themes'"/>
  <xsl:variable name="host-root" select="/metadata"/>
  <!-- Carried elements of other standards, which go to tw:carried. -->
  <xsl:variable name="foreign"
      select="//carry/*[not(contains($iso-namespaces, concat(' ', namespace-uri(), ' ')))]"/>
  <!-- In ISO 19115-3 they stay in place: the last step there sends whatever
       has no place in that standard to its extension. -->
  <xsl:variable name="relocate" select="$foreign and not($host-root/acqInfo or $host-root/@class = 'MI_Metadata')
                                        and $format != 'iso19115-3'"/>

  <xsl:key name="class" match="map:class" use="@name"/>
  <xsl:key name="choice" match="map:choice" use="@name"/>
  <xsl:key name="iso-by-code" match="map:v[@code]" use="concat(../@list, ' ', @code)"/>
  <xsl:key name="iso-by-name" match="map:v" use="concat(../@list, ' ', @name, @iso[not(../@name)])"/>

  <!-- ===================================================================
       The record
       =================================================================== -->

  <xsl:template match="/">
    <xsl:if test="not(metadata)">
      <xsl:message terminate="yes">not the host's metadata: the root element is not "metadata"</xsl:message>
    </xsl:if>
    <xsl:choose>
      <xsl:when test="$format = 'iso19139'"><xsl:apply-templates select="metadata"/></xsl:when>
      <xsl:when test="$format = 'iso19115-3'">
        <xsl:variable name="record"><xsl:apply-templates select="metadata"/></xsl:variable>
        <xsl:call-template name="iso19115-3-record">
          <xsl:with-param name="record" select="exsl:node-set($record)/*"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:message terminate="yes">unknown format "<xsl:value-of select="$format"/>": the export writes iso19139 or iso19115-3</xsl:message>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="/metadata">
    <xsl:variable name="class">
      <xsl:call-template name="pick">
        <xsl:with-param name="choice" select="'root'"/>
        <xsl:with-param name="h" select="."/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="root-odd">
      <xsl:if test="$class = 'MD_Metadata'">
        <xsl:call-template name="odd">
          <xsl:with-param name="table" select="$class"/>
          <xsl:with-param name="h" select="."/>
        </xsl:call-template>
      </xsl:if>
    </xsl:variable>
    <xsl:variable name="body">
      <xsl:copy-of select="carry[@after = '']/*[not($relocate) or contains($iso-namespaces, concat(' ', namespace-uri(), ' '))]"/>
      <xsl:call-template name="rows">
        <xsl:with-param name="table" select="$class"/>
        <xsl:with-param name="h" select="."/>
        <xsl:with-param name="tw" select="boolean(string($root-odd))"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="parts" select="exsl:node-set($body)/*"/>
    <xsl:variable name="odd" select="string($root-odd)"/>
    <xsl:variable name="prefix">
      <xsl:choose>
        <xsl:when test="string($odd) or $relocate">tw</xsl:when>
        <xsl:when test="$class = 'MI_Metadata'">gmi</xsl:when>
        <xsl:otherwise>gmd</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="extended" select="boolean(exsl:node-set($body)//tw:*) or string($odd) or $relocate"/>
    <xsl:variable name="sheet" select="document('')/*"/>
    <xsl:element name="{$prefix}:{$class}">
      <xsl:copy-of select="$sheet/namespace::gmd | $sheet/namespace::gco | $sheet/namespace::gml | $sheet/namespace::xsi"/>
      <xsl:if test="$extended">
        <xsl:copy-of select="$sheet/namespace::tw"/>
      </xsl:if>
      <xsl:if test="$prefix = 'gmi' or exsl:node-set($body)//gmi:*">
        <xsl:copy-of select="$sheet/namespace::gmi"/>
      </xsl:if>
      <xsl:if test="exsl:node-set($body)//srv:*">
        <xsl:copy-of select="$sheet/namespace::srv"/>
      </xsl:if>
      <xsl:if test="exsl:node-set($body)//gmx:*">
        <xsl:copy-of select="$sheet/namespace::gmx"/>
      </xsl:if>
      <xsl:if test="exsl:node-set($body)//@xlink:*">
        <xsl:copy-of select="$sheet/namespace::xlink"/>
      </xsl:if>
      <xsl:call-template name="identity"><xsl:with-param name="h" select="."/></xsl:call-template>
      <xsl:attribute name="xsi:schemaLocation">http://www.isotc211.org/2005/gmd http://schemas.opengis.net/iso/19139/20070417/gmd/gmd.xsd</xsl:attribute>
      <xsl:copy-of select="$parts[not(self::gmd:identificationInfo or preceding-sibling::gmd:identificationInfo)]"/>
      <xsl:if test="$extended">
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
      <xsl:if test="string($odd)">
        <xsl:call-template name="verbatims">
          <xsl:with-param name="table" select="$class"/>
          <xsl:with-param name="h" select="."/>
        </xsl:call-template>
      </xsl:if>
      <xsl:if test="$relocate">
        <xsl:for-each select="//carry[*[not(contains($iso-namespaces, concat(' ', namespace-uri(), ' ')))]]">
          <tw:carried after="{@after}">
            <xsl:attribute name="ref"><xsl:call-template name="ref"><xsl:with-param name="h" select=".."/></xsl:call-template></xsl:attribute>
            <xsl:copy-of select="*[not(contains($iso-namespaces, concat(' ', namespace-uri(), ' ')))]"/>
          </tw:carried>
        </xsl:for-each>
      </xsl:if>
    </xsl:element>
  </xsl:template>

  <!-- ===================================================================
       Objects: a class's properties from its table
       =================================================================== -->

  <!-- The class element of one object: $table's class (or $name, for the
       quality elements that share a table), ours when it must carry text
       verbatim or a property of ours. $geo: geographic descriptions to add
       to an extent. -->
  <xsl:template name="object">
    <xsl:param name="table"/>
    <xsl:param name="name" select="''"/>
    <xsl:param name="h"/>
    <xsl:param name="geo" select="/.."/>
    <xsl:param name="no-base" select="false()"/>
    <xsl:param name="only" select="''"/>
    <xsl:for-each select="$maps">
      <xsl:variable name="t" select="key('class', $table)"/>
      <xsl:variable name="local">
        <xsl:choose>
          <xsl:when test="$name"><xsl:value-of select="$name"/></xsl:when>
          <xsl:when test="$t/@iso"><xsl:value-of select="$t/@iso"/></xsl:when>
          <xsl:otherwise><xsl:value-of select="$t/@name"/></xsl:otherwise>
        </xsl:choose>
      </xsl:variable>
      <xsl:variable name="odd">
        <xsl:if test="$t/@tw = 'yes'">
          <xsl:call-template name="odd">
            <xsl:with-param name="table" select="$table"/>
            <xsl:with-param name="h" select="$h"/>
          </xsl:call-template>
        </xsl:if>
      </xsl:variable>
      <xsl:variable name="prefix">
        <xsl:choose>
          <xsl:when test="string($odd)">tw</xsl:when>
          <xsl:otherwise><xsl:value-of select="$t/@ns"/></xsl:otherwise>
        </xsl:choose>
      </xsl:variable>
      <xsl:element name="{$prefix}:{$local}">
        <xsl:call-template name="identity"><xsl:with-param name="h" select="$h"/></xsl:call-template>
        <xsl:copy-of select="$h/carry[@after = '']/*[not($relocate) or contains($iso-namespaces, concat(' ', namespace-uri(), ' '))]"/>
        <xsl:call-template name="rows">
          <xsl:with-param name="table" select="$table"/>
          <xsl:with-param name="h" select="$h"/>
          <xsl:with-param name="geo" select="$geo"/>
          <xsl:with-param name="no-base" select="$no-base"/>
          <xsl:with-param name="tw" select="boolean(string($odd))"/>
          <xsl:with-param name="only" select="$only"/>
        </xsl:call-template>
        <xsl:if test="string($odd)">
          <xsl:call-template name="verbatims">
            <xsl:with-param name="table" select="$table"/>
            <xsl:with-param name="h" select="$h"/>
          </xsl:call-template>
        </xsl:if>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- The id and uuid of an object. An id that is not an XML name (some
       records have "98742") cannot be written as one. -->
  <xsl:template name="identity">
    <xsl:param name="h"/>
    <xsl:copy-of select="$h/@uuid"/>
    <xsl:choose>
      <xsl:when test="$relocate and $h/carry/*[not(contains($iso-namespaces, concat(' ', namespace-uri(), ' ')))]">
        <xsl:attribute name="id"><xsl:call-template name="ref"><xsl:with-param name="h" select="$h"/></xsl:call-template></xsl:attribute>
      </xsl:when>
      <xsl:when test="$h/@id and translate(substring($h/@id, 1, 1), '0123456789-.', '') != ''
                      and translate($h/@id, ' :&#9;&#10;&#13;', '') = $h/@id">
        <xsl:copy-of select="$h/@id"/>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- The id by which tw:carried names the class element of $h: its own id
       when that is an XML name, else one made from its place. -->
  <xsl:template name="ref">
    <xsl:param name="h"/>
    <xsl:choose>
      <xsl:when test="$h/@id and translate(substring($h/@id, 1, 1), '0123456789-.', '') != ''
                      and translate($h/@id, ' :&#9;&#10;&#13;', '') = $h/@id">
        <xsl:value-of select="$h/@id"/>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="place-id"><xsl:with-param name="n" select="$h"/></xsl:call-template></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The properties of $table's class (its base's first), each followed by
       what the item carries after it. -->
  <xsl:template name="rows">
    <xsl:param name="table"/>
    <xsl:param name="h"/>
    <xsl:param name="geo" select="/.."/>
    <xsl:param name="no-base" select="false()"/>
    <xsl:param name="tw" select="false()"/>
    <xsl:param name="only" select="''"/>
    <xsl:for-each select="$maps">
      <xsl:variable name="t" select="key('class', $table)"/>
      <xsl:if test="$t/@base and not($no-base)">
        <xsl:call-template name="rows">
          <xsl:with-param name="table" select="$t/@base"/>
          <xsl:with-param name="h" select="$h"/>
          <xsl:with-param name="tw" select="$tw"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:for-each select="$t/map:p[$only = '' or @iso = $only]">
        <xsl:variable name="qname" select="concat((@ns | ../@ns)[last()], ':', @iso)"/>
        <!-- A property of ours in an ISO class: written in our class alone, and
             only with text. -->
        <xsl:if test="not(@ns = 'tw' and ../@ns != 'tw') or ($tw and string($h/*[name() = current()/@host][1]/text()))">
          <xsl:call-template name="property">
            <xsl:with-param name="h" select="$h"/>
            <xsl:with-param name="qname" select="$qname"/>
            <xsl:with-param name="geo" select="$geo"/>
            <xsl:with-param name="tw" select="$tw"/>
          </xsl:call-template>
        </xsl:if>
        <xsl:copy-of select="$h/carry[@after = $qname]/*[not($relocate) or contains($iso-namespaces, concat(' ', namespace-uri(), ' '))]"/>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>

  <!-- One row of a table (the context node) for the host element $h. -->
  <xsl:template name="property">
    <xsl:param name="h"/>
    <xsl:param name="qname"/>
    <xsl:param name="geo"/>
    <xsl:param name="tw"/>
    <xsl:variable name="row" select="."/>
    <xsl:choose>
      <xsl:when test="@choice and @host = ''">
        <!-- The class elements stand in the host element itself. -->
        <xsl:variable name="hosts" select="key('choice', $row/@choice)/map:c/@host"/>
        <xsl:variable name="nodes" select="$h/*[name() = $hosts]"/>
        <xsl:for-each select="$nodes">
          <xsl:call-template name="choice-property">
            <xsl:with-param name="row" select="$row"/>
            <xsl:with-param name="qname" select="$qname"/>
            <xsl:with-param name="class-element" select="."/>
          </xsl:call-template>
        </xsl:for-each>
        <xsl:if test="not($nodes) and @min = '1' and not($h/carry/*[local-name() = current()/@iso])">
          <xsl:element name="{$qname}"><xsl:attribute name="gco:nilReason">missing</xsl:attribute></xsl:element>
        </xsl:if>
      </xsl:when>
      <xsl:when test="@host = 'dataExt' and $h/geoDesc">
        <!-- The identification's geographic descriptions join its first extent. -->
        <xsl:variable name="extents" select="$h/dataExt"/>
        <xsl:for-each select="$extents">
          <xsl:variable name="first" select="position() = 1"/>
          <xsl:element name="{$qname}">
            <xsl:call-template name="object">
              <xsl:with-param name="table" select="'EX_Extent'"/>
              <xsl:with-param name="h" select="."/>
              <xsl:with-param name="geo" select="$h/geoDesc[$first]"/>
            </xsl:call-template>
          </xsl:element>
        </xsl:for-each>
        <xsl:if test="not($extents)">
          <xsl:element name="{$qname}">
            <xsl:call-template name="object">
              <xsl:with-param name="table" select="'EX_Extent'"/>
              <xsl:with-param name="h" select="/.."/>
              <xsl:with-param name="geo" select="$h/geoDesc"/>
            </xsl:call-template>
          </xsl:element>
        </xsl:if>
      </xsl:when>
      <xsl:otherwise>
        <!-- A value with no host element of its own is the host element's. -->
        <xsl:variable name="all" select="$h/*[name() = $row/@host] | $h[$row/@host = '']"/>
        <xsl:variable name="nodes" select="$all[$row/@max = 'n' or position() = 1]"/>
        <xsl:for-each select="$nodes">
          <xsl:call-template name="value">
            <xsl:with-param name="row" select="$row"/>
            <xsl:with-param name="qname" select="$qname"/>
            <xsl:with-param name="n" select="."/>
            <xsl:with-param name="tw" select="$tw"/>
          </xsl:call-template>
        </xsl:for-each>
        <!-- Nor where the item carries the property as the record had it. -->
        <xsl:if test="@min = '1' and not($nodes) and not($h/carry/*[local-name() = current()/@iso])">
          <xsl:element name="{$qname}"><xsl:attribute name="gco:nilReason">missing</xsl:attribute></xsl:element>
        </xsl:if>
        <xsl:if test="$qname = 'gmd:descriptiveKeywords' and generate-id($h) = generate-id($host-root/dataIdInfo[1]) and $host-root/tideExt/tidTopic">
          <xsl:call-template name="themes">
            <xsl:with-param name="qname" select="$qname"/>
          </xsl:call-template>
        </xsl:if>
        <xsl:if test="$geo and @choice = 'EX_GeographicExtent'">
          <xsl:for-each select="$geo">
            <xsl:element name="{$qname}">
              <xsl:call-template name="object">
                <xsl:with-param name="table" select="'EX_GeographicDescription'"/>
                <xsl:with-param name="h" select="."/>
              </xsl:call-template>
            </xsl:element>
          </xsl:for-each>
        </xsl:if>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A property holding one of the choice's classes; $class-element is the
       host element of the class (the property's own for a choice whose class
       has no host element). -->
  <xsl:template name="choice-property">
    <xsl:param name="row"/>
    <xsl:param name="qname"/>
    <xsl:param name="class-element"/>
    <xsl:param name="n" select="/.."/>
    <xsl:variable name="class">
      <xsl:call-template name="pick">
        <xsl:with-param name="choice" select="$row/@choice"/>
        <xsl:with-param name="h" select="$class-element"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:for-each select="$maps">
      <xsl:variable name="c" select="key('choice', $row/@choice)/map:c[@iso = $class][1]"/>
      <xsl:variable name="table">
        <xsl:choose>
          <xsl:when test="$c/@table"><xsl:value-of select="$c/@table"/></xsl:when>
          <xsl:otherwise><xsl:value-of select="$class"/></xsl:otherwise>
        </xsl:choose>
      </xsl:variable>
      <xsl:if test="$class = 'MD_CRS' and $class-element/refSysId">
        <!-- The identifier where every reader finds it. -->
        <xsl:element name="{$qname}">
          <xsl:call-template name="object">
            <xsl:with-param name="table" select="'MD_ReferenceSystem'"/>
            <xsl:with-param name="h" select="$class-element"/>
          </xsl:call-template>
        </xsl:element>
      </xsl:if>
      <xsl:element name="{$qname}">
        <xsl:call-template name="property-attributes">
          <xsl:with-param name="n" select="$n"/>
        </xsl:call-template>
        <xsl:if test="$class-element">
          <xsl:call-template name="object">
            <xsl:with-param name="table" select="$table"/>
            <xsl:with-param name="name" select="$class"/>
            <xsl:with-param name="h" select="$class-element"/>
            <xsl:with-param name="no-base" select="$class = 'MD_CRS'"/>
          </xsl:call-template>
        </xsl:if>
      </xsl:element>
    </xsl:for-each>
  </xsl:template>

  <!-- The ISO class of $choice that the host element $h stands for: the
       first whose host element it is and, where the class has @detect, that
       holds one of those children or names the class in "class". -->
  <xsl:template name="pick">
    <xsl:param name="choice"/>
    <xsl:param name="h"/>
    <xsl:variable name="found">
      <xsl:for-each select="$maps">
        <xsl:for-each select="key('choice', $choice)/map:c[@host = '' or @host = name($h)]">
          <xsl:if test="not(@detect) or $h/@class = current()/@iso
                        or $h/*[contains(concat(' ', current()/@detect, ' '), concat(' ', name(), ' '))]">
            <xsl:value-of select="concat(@iso, ' ')"/>
          </xsl:if>
        </xsl:for-each>
      </xsl:for-each>
    </xsl:variable>
    <xsl:value-of select="substring-before($found, ' ')"/>
  </xsl:template>

  <!-- xlink and uuidref of a property given by reference, and its nil reason
       when it holds nothing. -->
  <xsl:template name="property-attributes">
    <xsl:param name="n"/>
    <xsl:param name="empty" select="false()"/>
    <xsl:if test="$n/@href"><xsl:attribute name="xlink:href"><xsl:value-of select="$n/@href"/></xsl:attribute></xsl:if>
    <xsl:if test="$n/@title"><xsl:attribute name="xlink:title"><xsl:value-of select="$n/@title"/></xsl:attribute></xsl:if>
    <xsl:if test="$n/@uuidref"><xsl:attribute name="uuidref"><xsl:value-of select="$n/@uuidref"/></xsl:attribute></xsl:if>
    <xsl:if test="$empty and $n/@nilReason">
      <xsl:attribute name="gco:nilReason"><xsl:value-of select="$n/@nilReason"/></xsl:attribute>
    </xsl:if>
  </xsl:template>

  <!-- ===================================================================
       Values
       =================================================================== -->

  <!-- The property $qname of row $row from the host element $n. -->
  <xsl:template name="value">
    <xsl:param name="row"/>
    <xsl:param name="qname"/>
    <xsl:param name="n"/>
    <xsl:param name="tw" select="false()"/>
    <xsl:variable name="type" select="$row/@type"/>
    <xsl:variable name="t">
      <xsl:call-template name="text"><xsl:with-param name="n" select="$n"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="bare" select="not($n/*[not(self::carry)]) and not($n/@href or $n/@uuidref)"/>
    <xsl:choose>
      <!-- Objects -->
      <xsl:when test="$row/@class and $maps/map:class[@name = $row/@class]/@union
                      and count($n/*[name() = $maps/map:class[@name = $row/@class]/map:p/@host]) &gt; 1">
        <!-- A union holding several of its properties: an object for each. -->
        <xsl:for-each select="$maps/map:class[@name = $row/@class]/map:p">
          <xsl:if test="$n/*[name() = current()/@host]">
            <xsl:element name="{$qname}">
              <xsl:call-template name="object">
                <xsl:with-param name="table" select="$row/@class"/>
                <xsl:with-param name="h" select="$n"/>
                <xsl:with-param name="only" select="@iso"/>
              </xsl:call-template>
            </xsl:element>
          </xsl:if>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$row/@class">
        <xsl:element name="{$qname}">
          <xsl:call-template name="property-attributes">
            <xsl:with-param name="n" select="$n"/>
            <xsl:with-param name="empty" select="$bare"/>
          </xsl:call-template>
          <xsl:if test="not($bare and $n/@nilReason) and not(not($n/*) and ($n/@href or $n/@uuidref))">
            <xsl:call-template name="object">
              <xsl:with-param name="table" select="$row/@class"/>
              <xsl:with-param name="h" select="$n"/>
            </xsl:call-template>
          </xsl:if>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$row/@choice">
        <xsl:variable name="class-hosts" select="$maps/map:choice[@name = $row/@choice]/map:c/@host"/>
        <xsl:variable name="inner" select="$n/*[name() = $class-hosts][1]"/>
        <xsl:choose>
          <xsl:when test="$class-hosts = ''">
            <xsl:choose>
              <xsl:when test="$bare and ($n/@nilReason or $n/@href)">
                <xsl:element name="{$qname}">
                  <xsl:call-template name="property-attributes">
                    <xsl:with-param name="n" select="$n"/>
                    <xsl:with-param name="empty" select="true()"/>
                  </xsl:call-template>
                </xsl:element>
              </xsl:when>
              <xsl:otherwise>
                <xsl:call-template name="choice-property">
                  <xsl:with-param name="row" select="$row"/>
                  <xsl:with-param name="qname" select="$qname"/>
                  <xsl:with-param name="class-element" select="$n"/>
                  <xsl:with-param name="n" select="$n"/>
                </xsl:call-template>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:when>
          <xsl:when test="$inner">
            <xsl:call-template name="choice-property">
              <xsl:with-param name="row" select="$row"/>
              <xsl:with-param name="qname" select="$qname"/>
              <xsl:with-param name="class-element" select="$inner"/>
              <xsl:with-param name="n" select="$n"/>
            </xsl:call-template>
          </xsl:when>
          <xsl:otherwise>
            <xsl:element name="{$qname}">
              <xsl:call-template name="property-attributes">
                <xsl:with-param name="n" select="$n"/>
                <xsl:with-param name="empty" select="true()"/>
              </xsl:call-template>
              <xsl:if test="not($n/@nilReason or $n/@href or $n/@uuidref)">
                <xsl:attribute name="gco:nilReason">missing</xsl:attribute>
              </xsl:if>
            </xsl:element>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- Texts -->
      <xsl:when test="$type = 'text'">
        <xsl:element name="{$qname}">
          <xsl:choose>
            <xsl:when test="$t = '' and not($n/transl) and $n/@nilReason">
              <xsl:attribute name="gco:nilReason"><xsl:value-of select="$n/@nilReason"/></xsl:attribute>
            </xsl:when>
            <xsl:otherwise>
              <xsl:if test="$n/transl">
                <xsl:attribute name="xsi:type">gmd:PT_FreeText_PropertyType</xsl:attribute>
              </xsl:if>
              <xsl:if test="$t != '' or not($n/transl)">
                <xsl:call-template name="character-string">
                  <xsl:with-param name="n" select="$n"/>
                  <xsl:with-param name="t" select="$t"/>
                </xsl:call-template>
              </xsl:if>
              <xsl:if test="$n/transl">
                <gmd:PT_FreeText>
                  <xsl:for-each select="$n/transl">
                    <gmd:textGroup>
                      <gmd:LocalisedCharacterString>
                        <xsl:copy-of select="@locale | @id"/>
                        <xsl:call-template name="text"/>
                      </gmd:LocalisedCharacterString>
                    </gmd:textGroup>
                  </xsl:for-each>
                </gmd:PT_FreeText>
              </xsl:if>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$type = 'URL'">
        <xsl:element name="{$qname}">
          <xsl:choose>
            <xsl:when test="$t = '' and $n/@nilReason">
              <xsl:attribute name="gco:nilReason"><xsl:value-of select="$n/@nilReason"/></xsl:attribute>
            </xsl:when>
            <xsl:otherwise><gmd:URL><xsl:value-of select="$t"/></gmd:URL></xsl:otherwise>
          </xsl:choose>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$type = 'code' or $type = 'enum'">
        <xsl:call-template name="code">
          <xsl:with-param name="row" select="$row"/>
          <xsl:with-param name="qname" select="$qname"/>
          <xsl:with-param name="n" select="$n"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$type = 'language' or $type = 'country'">
        <xsl:variable name="code" select="($n/languageCode/@value | $n/countryCode/@value)[1]"/>
        <xsl:choose>
          <xsl:when test="string($code)">
            <xsl:element name="{$qname}">
              <xsl:choose>
                <xsl:when test="$type = 'language'">
                  <gmd:LanguageCode codeList="http://www.loc.gov/standards/iso639-2/" codeListValue="{$code}"><xsl:copy-of select="$code/../@codeSpace"/><xsl:value-of select="$code"/></gmd:LanguageCode>
                </xsl:when>
                <xsl:otherwise>
                  <gmd:Country codeList="http://www.iso.org/iso/country_codes" codeListValue="{$code}"><xsl:copy-of select="$code/../@codeSpace"/><xsl:value-of select="$code"/></gmd:Country>
                </xsl:otherwise>
              </xsl:choose>
            </xsl:element>
          </xsl:when>
          <xsl:when test="$t != ''">
            <xsl:element name="{$qname}"><gco:CharacterString><xsl:value-of select="$t"/></gco:CharacterString></xsl:element>
          </xsl:when>
          <xsl:otherwise>
            <xsl:call-template name="nothing">
              <xsl:with-param name="row" select="$row"/>
              <xsl:with-param name="qname" select="$qname"/>
              <xsl:with-param name="n" select="$n"/>
            </xsl:call-template>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$type = 'ref'">
        <xsl:element name="{$qname}">
          <xsl:call-template name="property-attributes">
            <xsl:with-param name="n" select="$n"/>
            <xsl:with-param name="empty" select="true()"/>
          </xsl:call-template>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$type = 'href'">
        <xsl:element name="{$qname}">
          <xsl:choose>
            <xsl:when test="$t != ''"><xsl:attribute name="xlink:href"><xsl:value-of select="$t"/></xsl:attribute></xsl:when>
            <xsl:when test="$n/@nilReason"><xsl:attribute name="gco:nilReason"><xsl:value-of select="$n/@nilReason"/></xsl:attribute></xsl:when>
            <xsl:otherwise><xsl:attribute name="gco:nilReason">missing</xsl:attribute></xsl:otherwise>
          </xsl:choose>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$type = 'time'">
        <xsl:call-template name="time">
          <xsl:with-param name="qname" select="$qname"/>
          <xsl:with-param name="n" select="$n"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <!-- The other gco, gml and gts types: one value each. -->
        <xsl:variable name="v">
          <xsl:choose>
            <xsl:when test="$type = 'Binary'">
              <xsl:call-template name="text"><xsl:with-param name="n" select="$n/BinaryBase64"/></xsl:call-template>
            </xsl:when>
            <xsl:when test="$type = 'Record'">
              <xsl:call-template name="text"><xsl:with-param name="n" select="$n/otherValue"/></xsl:call-template>
            </xsl:when>
            <xsl:when test="$type = 'unit'">
              <xsl:call-template name="text"><xsl:with-param name="n" select="$n/uomName"/></xsl:call-template>
            </xsl:when>
            <xsl:when test="$type = 'polygon'">
              <xsl:value-of select="concat($n/exterior, $n/interior)"/>
            </xsl:when>
            <xsl:otherwise><xsl:value-of select="$t"/></xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:variable name="ok">
          <xsl:call-template name="valid">
            <xsl:with-param name="type" select="$type"/>
            <xsl:with-param name="s" select="$v"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="string($v) = ''">
            <xsl:call-template name="nothing">
              <xsl:with-param name="row" select="$row"/>
              <xsl:with-param name="qname" select="$qname"/>
              <xsl:with-param name="n" select="$n"/>
            </xsl:call-template>
          </xsl:when>
          <xsl:when test="not(string($ok)) and $tw">
            <xsl:element name="{$qname}"><xsl:attribute name="gco:nilReason">other:verbatim</xsl:attribute></xsl:element>
          </xsl:when>
          <xsl:otherwise>
            <xsl:element name="{$qname}">
              <xsl:call-template name="typed-value">
                <xsl:with-param name="row" select="$row"/>
                <xsl:with-param name="n" select="$n"/>
                <xsl:with-param name="v" select="$v"/>
              </xsl:call-template>
            </xsl:element>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A property without a value: its nil reason, or a missing one where
       ISO requires it. -->
  <xsl:template name="nothing">
    <xsl:param name="row"/>
    <xsl:param name="qname"/>
    <xsl:param name="n"/>
    <xsl:choose>
      <xsl:when test="$n/@nilReason">
        <xsl:element name="{$qname}"><xsl:attribute name="gco:nilReason"><xsl:value-of select="$n/@nilReason"/></xsl:attribute></xsl:element>
      </xsl:when>
      <xsl:when test="$row/@min = '1'">
        <xsl:element name="{$qname}"><xsl:attribute name="gco:nilReason">missing</xsl:attribute></xsl:element>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- gco:CharacterString, or what the host marks in its place. -->
  <xsl:template name="character-string">
    <xsl:param name="n"/>
    <xsl:param name="t"/>
    <xsl:choose>
      <xsl:when test="$n/@href or $n/@title">
        <gmx:Anchor>
          <xsl:if test="$n/@href"><xsl:attribute name="xlink:href"><xsl:value-of select="$n/@href"/></xsl:attribute></xsl:if>
          <xsl:if test="$n/@title"><xsl:attribute name="xlink:title"><xsl:value-of select="$n/@title"/></xsl:attribute></xsl:if>
          <xsl:value-of select="$t"/>
        </gmx:Anchor>
      </xsl:when>
      <xsl:when test="$n/@src">
        <gmx:FileName src="{$n/@src}"><xsl:value-of select="$t"/></gmx:FileName>
      </xsl:when>
      <xsl:when test="$n/@mimeType">
        <gmx:MimeFileType type="{$n/@mimeType}"><xsl:value-of select="$t"/></gmx:MimeFileType>
      </xsl:when>
      <xsl:otherwise><gco:CharacterString><xsl:value-of select="$t"/></gco:CharacterString></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The gco, gml or gts element holding $v, a value of the row's type. -->
  <xsl:template name="typed-value">
    <xsl:param name="row"/>
    <xsl:param name="n"/>
    <xsl:param name="v"/>
    <xsl:variable name="type" select="$row/@type"/>
    <xsl:variable name="id"><xsl:call-template name="place-id"><xsl:with-param name="n" select="$n"/></xsl:call-template></xsl:variable>
    <xsl:choose>
      <xsl:when test="$type = 'Measure'">
        <xsl:element name="gco:{concat(substring('Measure', 1, 7 * not($row/@gco)), $row/@gco)}">
          <xsl:attribute name="uom"><xsl:value-of select="substring-after($v, ' ')"/></xsl:attribute>
          <xsl:value-of select="substring-before($v, ' ')"/>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$type = 'Date' and contains($v, 'T')">
        <gco:DateTime><xsl:value-of select="$v"/></gco:DateTime>
      </xsl:when>
      <xsl:when test="$type = 'Duration'"><gts:TM_PeriodDuration><xsl:value-of select="$v"/></gts:TM_PeriodDuration></xsl:when>
      <xsl:when test="$type = 'GenericName'">
        <xsl:element name="{concat('gco:', substring('LocalName', 1, 9 * not($n/@scoped = 'true')), substring('ScopedName', 1, 10 * ($n/@scoped = 'true')))}">
          <xsl:copy-of select="$n/@codeSpace"/>
          <xsl:value-of select="$v"/>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$type = 'inline'">
        <xsl:value-of select="$v"/>
      </xsl:when>
      <xsl:when test="$type = 'MemberName'">
        <gco:MemberName>
          <gco:aName><gco:CharacterString><xsl:value-of select="$v"/></gco:CharacterString></gco:aName>
          <gco:attributeType>
            <gco:TypeName><gco:aName><gco:CharacterString><xsl:value-of select="$n/@attributeType"/></gco:CharacterString></gco:aName></gco:TypeName>
          </gco:attributeType>
        </gco:MemberName>
      </xsl:when>
      <xsl:when test="$type = 'TypeName'">
        <gco:TypeName><gco:aName><gco:CharacterString><xsl:value-of select="$v"/></gco:CharacterString></gco:aName></gco:TypeName>
      </xsl:when>
      <xsl:when test="$type = 'unit'">
        <gml:UnitDefinition>
          <xsl:attribute name="gml:id">
            <xsl:choose>
              <xsl:when test="$n/@unitId"><xsl:value-of select="$n/@unitId"/></xsl:when>
              <xsl:otherwise><xsl:value-of select="concat($id, '-unit')"/></xsl:otherwise>
            </xsl:choose>
          </xsl:attribute>
          <gml:identifier>
            <xsl:attribute name="codeSpace">
              <xsl:choose>
                <xsl:when test="$n/@codeSpace"><xsl:value-of select="$n/@codeSpace"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="$tw-ns"/></xsl:otherwise>
              </xsl:choose>
            </xsl:attribute>
            <xsl:value-of select="$v"/>
          </gml:identifier>
        </gml:UnitDefinition>
      </xsl:when>
      <xsl:when test="$type = 'polygon'">
        <gml:Polygon>
          <xsl:call-template name="gml-id">
            <xsl:with-param name="n" select="$n"/>
            <xsl:with-param name="id" select="concat($id, '-polygon')"/>
          </xsl:call-template>
          <xsl:copy-of select="$n/@srsName"/>
          <xsl:for-each select="$n/exterior | $n/interior">
            <xsl:element name="gml:{local-name()}">
              <gml:LinearRing>
                <xsl:call-template name="positions">
                  <xsl:with-param name="n" select="."/>
                </xsl:call-template>
              </gml:LinearRing>
            </xsl:element>
          </xsl:for-each>
        </gml:Polygon>
      </xsl:when>
      <xsl:when test="$type = 'point'">
        <gml:Point>
          <xsl:call-template name="gml-id">
            <xsl:with-param name="n" select="$n"/>
            <xsl:with-param name="id" select="concat($id, '-point')"/>
          </xsl:call-template>
          <gml:pos><xsl:value-of select="$v"/></gml:pos>
        </gml:Point>
      </xsl:when>
      <xsl:otherwise>
        <xsl:element name="gco:{$type}"><xsl:value-of select="$v"/></xsl:element>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- An id for what the host element $n holds, made from its place: each
       element above it, by name and rank among those of its name, so that
       it stays the same when the item's elements of other names move. -->
  <xsl:template name="place-id">
    <xsl:param name="n"/>
    <xsl:text>tw</xsl:text>
    <xsl:for-each select="$n/ancestor-or-self::*[parent::*] | $n[not(parent::*)]">
      <xsl:value-of select="concat('-', name(), count(preceding-sibling::*[name() = name(current())]) + 1)"/>
    </xsl:for-each>
  </xsl:template>

  <xsl:template name="gml-id">
    <xsl:param name="n"/>
    <xsl:param name="id"/>
    <xsl:attribute name="gml:id">
      <xsl:choose>
        <xsl:when test="$n/@id"><xsl:value-of select="$n/@id"/></xsl:when>
        <xsl:otherwise><xsl:value-of select="$id"/></xsl:otherwise>
      </xsl:choose>
    </xsl:attribute>
  </xsl:template>

  <!-- A ring's coordinates: one gml:posList, or a gml:pos for each pair
       where the record had them so. -->
  <xsl:template name="positions">
    <xsl:param name="n"/>
    <xsl:choose>
      <xsl:when test="$n/@posForm = 'pos'">
        <xsl:call-template name="pos-pairs">
          <xsl:with-param name="s" select="normalize-space($n)"/>
          <xsl:with-param name="dimension" select="($n/@srsDimension | ../@srsDimension)[1]"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><gml:posList><xsl:value-of select="$n"/></gml:posList></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="pos-pairs">
    <xsl:param name="s"/>
    <xsl:param name="dimension"/>
    <xsl:if test="$s != ''">
      <xsl:variable name="x" select="substring-before(concat($s, ' '), ' ')"/>
      <xsl:variable name="rest" select="substring-after($s, ' ')"/>
      <xsl:variable name="y" select="substring-before(concat($rest, ' '), ' ')"/>
      <gml:pos><xsl:value-of select="normalize-space(concat($x, ' ', $y))"/></gml:pos>
      <xsl:call-template name="pos-pairs">
        <xsl:with-param name="s" select="substring-after($rest, ' ')"/>
        <xsl:with-param name="dimension" select="$dimension"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- A code list property. The host holds the code in the "value" of a code
       element (the row's @form) or the name as text; either is read. A value
       outside the table keeps its text, under a code list of ours; outside
       an enumeration it cannot be written. -->
  <xsl:template name="code">
    <xsl:param name="row"/>
    <xsl:param name="qname"/>
    <xsl:param name="n"/>
    <xsl:variable name="list" select="$row/@list"/>
    <xsl:variable name="name">
      <xsl:call-template name="text"><xsl:with-param name="n" select="$n"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="code" select="$n/*[not(self::carry)][1]/@value"/>
    <!-- Around a code element, text of spaces alone is layout. -->
    <xsl:variable name="by-name" select="normalize-space($name) != '' or ($name != '' and not($code))"/>
    <xsl:variable name="t">
      <xsl:choose>
        <xsl:when test="$by-name"><xsl:value-of select="$name"/></xsl:when>
        <xsl:otherwise><xsl:value-of select="$code"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="iso">
      <xsl:for-each select="$maps">
        <xsl:choose>
          <xsl:when test="$by-name"><xsl:value-of select="key('iso-by-name', concat($list, ' ', $t))/@iso"/></xsl:when>
          <xsl:otherwise><xsl:value-of select="key('iso-by-code', concat($list, ' ', $t))/@iso"/></xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
    </xsl:variable>
    <xsl:variable name="element" select="concat(substring('gmd:', 1, 4 * ($row/../@ns != 'srv')), substring('srv:', 1, 4 * ($row/../@ns = 'srv')), $list)"/>
    <xsl:choose>
      <xsl:when test="$t != '' and $row/@type = 'enum'">
        <xsl:if test="string($iso)">
          <xsl:element name="{$qname}">
            <xsl:element name="{$element}"><xsl:value-of select="$iso"/></xsl:element>
          </xsl:element>
        </xsl:if>
      </xsl:when>
      <xsl:when test="$t != ''">
        <xsl:element name="{$qname}">
          <xsl:element name="{$element}">
            <xsl:copy-of select="($n/@codeSpace | $n/*[not(self::carry)][1]/@codeSpace)[1]"/>
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
      <xsl:otherwise>
        <xsl:call-template name="nothing">
          <xsl:with-param name="row" select="$row"/>
          <xsl:with-param name="qname" select="$qname"/>
          <xsl:with-param name="n" select="$n"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The time of a temporal extent: a period from beginEnd (begin, end),
       else an instant. A position the host marks "indeterminate" keeps that
       mark; one that is not a valid time travels verbatim. -->
  <xsl:template name="time">
    <xsl:param name="qname"/>
    <xsl:param name="n"/>
    <xsl:variable name="id"><xsl:call-template name="place-id"><xsl:with-param name="n" select="$n"/></xsl:call-template></xsl:variable>
    <xsl:element name="{$qname}">
      <xsl:choose>
        <xsl:when test="$n/instant and not($n/beginEnd)">
          <gml:TimeInstant>
            <xsl:call-template name="gml-id">
              <xsl:with-param name="n" select="$n/instant"/>
              <xsl:with-param name="id" select="concat($id, '-instant')"/>
            </xsl:call-template>
            <xsl:call-template name="time-position">
              <xsl:with-param name="name" select="'timePosition'"/>
              <xsl:with-param name="n" select="$n/instant"/>
            </xsl:call-template>
          </gml:TimeInstant>
        </xsl:when>
        <xsl:otherwise>
          <gml:TimePeriod>
            <xsl:call-template name="gml-id">
              <xsl:with-param name="n" select="$n/beginEnd"/>
              <xsl:with-param name="id" select="concat($id, '-period')"/>
            </xsl:call-template>
            <xsl:call-template name="time-position">
              <xsl:with-param name="name" select="'beginPosition'"/>
              <xsl:with-param name="n" select="$n/beginEnd/begin"/>
            </xsl:call-template>
            <xsl:call-template name="time-position">
              <xsl:with-param name="name" select="'endPosition'"/>
              <xsl:with-param name="n" select="$n/beginEnd/end"/>
            </xsl:call-template>
          </gml:TimePeriod>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:element>
  </xsl:template>

  <xsl:template name="time-position">
    <xsl:param name="name"/>
    <xsl:param name="n"/>
    <xsl:variable name="t">
      <xsl:call-template name="text"><xsl:with-param name="n" select="$n"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="ok">
      <xsl:call-template name="valid">
        <xsl:with-param name="type" select="'Position'"/>
        <xsl:with-param name="s" select="$t"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:element name="gml:{$name}">
      <xsl:copy-of select="$n[1]/@frame | $n[1]/@calendarEraName"/>
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

  <!-- The project's theme, as a keyword of our own thesaurus. -->
  <xsl:template name="themes">
    <xsl:param name="qname"/>
    <xsl:element name="{$qname}">
      <gmd:MD_Keywords>
        <xsl:for-each select="$host-root/tideExt/tidTopic">
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
    </xsl:element>
  </xsl:template>

  <!-- ===================================================================
       Text kept verbatim
       =================================================================== -->

  <!-- "x" for each value of a typed row of $table (its base's too) that is
       not a valid value of its type, and for each property of ours with a
       value: the class must then be ours. -->
  <xsl:template name="odd">
    <xsl:param name="table"/>
    <xsl:param name="h"/>
    <xsl:for-each select="$maps">
      <xsl:variable name="t" select="key('class', $table)"/>
      <xsl:if test="$t/@base">
        <xsl:call-template name="odd">
          <xsl:with-param name="table" select="$t/@base"/>
          <xsl:with-param name="h" select="$h"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:for-each select="$t/map:p[@type and @type != 'text' and @type != 'code' and @type != 'enum' or @ns = 'tw']">
        <xsl:variable name="row" select="."/>
        <xsl:for-each select="$h/*[name() = $row/@host][$row/@max = 'n' or position() = 1]">
          <xsl:choose>
            <xsl:when test="$row/@ns = 'tw'">
              <xsl:if test="string(text())">x</xsl:if>
            </xsl:when>
            <xsl:otherwise>
              <xsl:call-template name="odd-text">
                <xsl:with-param name="n" select="."/>
                <xsl:with-param name="type" select="$row/@type"/>
              </xsl:call-template>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
        <xsl:if test="$row/@type = 'time'">
          <xsl:for-each select="$h/beginEnd/begin | $h/beginEnd/end | $h/instant">
            <xsl:call-template name="odd-text">
              <xsl:with-param name="n" select="."/>
              <xsl:with-param name="type" select="'Position'"/>
            </xsl:call-template>
          </xsl:for-each>
        </xsl:if>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>

  <!-- "x" when the own text of $n is not empty and not a valid $type. -->
  <xsl:template name="odd-text">
    <xsl:param name="n"/>
    <xsl:param name="type"/>
    <xsl:variable name="t">
      <xsl:call-template name="text"><xsl:with-param name="n" select="$n"/></xsl:call-template>
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

  <!-- The texts of those values, closing the class that became ours. -->
  <xsl:template name="verbatims">
    <xsl:param name="table"/>
    <xsl:param name="h"/>
    <xsl:for-each select="$maps">
      <xsl:variable name="t" select="key('class', $table)"/>
      <xsl:if test="$t/@base">
        <xsl:call-template name="verbatims">
          <xsl:with-param name="table" select="$t/@base"/>
          <xsl:with-param name="h" select="$h"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:for-each select="$t/map:p[@type and @type != 'text' and @type != 'code' and @type != 'enum' and not(@ns = 'tw')]">
        <xsl:variable name="row" select="."/>
        <xsl:choose>
          <xsl:when test="@type = 'time'">
            <xsl:for-each select="$h/beginEnd/begin | $h/beginEnd/end | $h/instant">
              <xsl:call-template name="verbatim">
                <xsl:with-param name="property" select="concat(substring('beginPosition', 1, 13 * (local-name() = 'begin')),
                                                          substring('endPosition', 1, 11 * (local-name() = 'end')),
                                                          substring('timePosition', 1, 12 * (local-name() = 'instant')))"/>
                <xsl:with-param name="n" select="."/>
                <xsl:with-param name="type" select="'Position'"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$h/*[name() = $row/@host][$row/@max = 'n' or position() = 1]">
              <xsl:call-template name="verbatim">
                <xsl:with-param name="property" select="$row/@iso"/>
                <xsl:with-param name="n" select="."/>
                <xsl:with-param name="type" select="$row/@type"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>

  <xsl:template name="verbatim">
    <xsl:param name="property"/>
    <xsl:param name="n"/>
    <xsl:param name="type"/>
    <xsl:variable name="odd">
      <xsl:call-template name="odd-text">
        <xsl:with-param name="n" select="$n"/>
        <xsl:with-param name="type" select="$type"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:if test="string($odd)">
      <tw:verbatim property="{$property}">
        <gco:CharacterString><xsl:call-template name="text"><xsl:with-param name="n" select="$n"/></xsl:call-template></gco:CharacterString>
      </tw:verbatim>
    </xsl:if>
  </xsl:template>

  <!-- The own text of the first node of $n, as the pages read it. -->
  <xsl:template name="text">
    <xsl:param name="n" select="."/>
    <xsl:for-each select="$n[1]/text()"><xsl:value-of select="."/></xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Lexical forms of the ISO types: "1" for a text that is a valid value
       and comes back unchanged through the import.
       =================================================================== -->

  <xsl:template name="valid">
    <xsl:param name="type"/>
    <xsl:param name="s"/>
    <xsl:choose>
      <!-- The import reads "1" and "0" as "true" and "false": written as
           they are, they would not come back as typed. -->
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
        <!-- "1.5 m": a number, one space, a unit: a symbol (no colon) or a URI. -->
        <xsl:variable name="unit" select="substring-after($s, ' ')"/>
        <xsl:variable name="scheme" select="substring-before($unit, ':')"/>
        <xsl:if test="string($unit) and translate($unit, ' &#9;&#10;&#13;', '') = $unit
                      and (not(contains($unit, ':')) or starts-with($unit, '#') or starts-with($unit, './')
                           or starts-with($unit, '../')
                           or (string($scheme) and translate(substring($scheme, 1, 1), 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ', '') = ''
                               and translate($scheme, 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.', '') = ''))">
          <xsl:call-template name="is-real"><xsl:with-param name="s" select="substring-before($s, ' ')"/></xsl:call-template>
        </xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'Duration'">
        <xsl:call-template name="is-duration"><xsl:with-param name="s" select="$s"/></xsl:call-template>
      </xsl:when>
      <xsl:otherwise>1</xsl:otherwise>
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

  <!-- A time zone: Z, or +hh:mm or -hh:mm up to 14:00. -->
  <xsl:template name="is-zone">
    <xsl:param name="z"/>
    <xsl:if test="$z = 'Z' or (string-length($z) = 6 and contains('+-', substring($z, 1, 1))
                  and translate(substring($z, 2), '0123456789', '0000000000') = '00:00'
                  and number(substring($z, 2, 2)) * 60 + number(substring($z, 5, 2)) &lt;= 840
                  and number(substring($z, 5, 2)) &lt;= 59)">1</xsl:if>
  </xsl:template>

  <!-- YYYY, YYYY-MM or YYYY-MM-DD with an optional time zone: a real day. -->
  <xsl:template name="is-date">
    <xsl:param name="s"/>
    <xsl:variable name="neg" select="number(starts-with($s, '-'))"/>
    <xsl:variable name="u" select="substring($s, 1 + $neg)"/>
    <xsl:variable name="form" select="translate($u, '0123456789', '0000000000')"/>
    <!-- Digits of the year: the zeros before the first non-digit. -->
    <xsl:variable name="ylen" select="string-length(substring-before(concat($form, 'x'), substring(translate(concat($form, 'x'), '0', ''), 1, 1)))"/>
    <xsl:variable name="year" select="substring($u, 1, $ylen)"/>
    <xsl:variable name="after" select="substring($u, $ylen + 1)"/>
    <xsl:variable name="y" select="number($year)"/>
    <xsl:variable name="zone-at">
      <xsl:choose>
        <xsl:when test="substring($after, string-length($after)) = 'Z'"><xsl:value-of select="string-length($after)"/></xsl:when>
        <xsl:when test="string-length($after) &gt;= 6 and contains('+-', substring($after, string-length($after) - 5, 1))
                        and substring($after, string-length($after) - 2, 1) = ':'">
          <xsl:value-of select="string-length($after) - 5"/>
        </xsl:when>
        <xsl:otherwise><xsl:value-of select="string-length($after) + 1"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="zone" select="substring($after, $zone-at)"/>
    <xsl:variable name="md" select="substring($after, 1, $zone-at - 1)"/>
    <xsl:variable name="zone-ok">
      <xsl:if test="$zone = ''">1</xsl:if>
      <xsl:call-template name="is-zone"><xsl:with-param name="z" select="$zone"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="m" select="number(substring($md, 2, 2))"/>
    <xsl:variable name="d" select="number(substring($md, 5, 2))"/>
    <xsl:variable name="leap" select="($y mod 4 = 0 and $y mod 100 != 0) or $y mod 400 = 0"/>
    <xsl:variable name="days"
        select="31 - ($m = 4 or $m = 6 or $m = 9 or $m = 11) - ($m = 2) * (3 - $leap)"/>
    <xsl:choose>
      <xsl:when test="$ylen &lt; 4 or ($ylen &gt; 4 and starts-with($year, '0')) or $y = 0 or not(string($zone-ok))"/>
      <xsl:when test="$md = ''">1</xsl:when>
      <xsl:when test="translate($md, '0123456789', '0000000000') != '-00' and translate($md, '0123456789', '0000000000') != '-00-00'"/>
      <xsl:when test="$m &lt; 1 or $m &gt; 12"/>
      <xsl:when test="string-length($md) = 3">1</xsl:when>
      <xsl:when test="$d &gt;= 1 and $d &lt;= $days">1</xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- A date, T, hh:mm:ss, an optional fraction of a second, an optional
       time zone; 24:00:00 for the end of a day. -->
  <xsl:template name="is-datetime">
    <xsl:param name="s"/>
    <xsl:variable name="day" select="substring-before($s, 'T')"/>
    <xsl:variable name="date">
      <xsl:call-template name="is-date"><xsl:with-param name="s" select="$day"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="clock" select="substring-after($s, 'T')"/>
    <xsl:variable name="time" select="substring($clock, 1, 8)"/>
    <xsl:variable name="rest" select="substring($clock, 9)"/>
    <xsl:variable name="zone">
      <xsl:choose>
        <xsl:when test="substring($rest, string-length($rest)) = 'Z'">Z</xsl:when>
        <xsl:when test="string-length($rest) &gt;= 6 and contains('+-', substring($rest, string-length($rest) - 5, 1))">
          <xsl:value-of select="substring($rest, string-length($rest) - 5)"/>
        </xsl:when>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="zone-ok">
      <xsl:if test="$zone = ''">1</xsl:if>
      <xsl:call-template name="is-zone"><xsl:with-param name="z" select="$zone"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="fraction" select="substring($rest, 1, string-length($rest) - string-length($zone))"/>
    <xsl:variable name="fraction-ok"
        select="$fraction = ''
                or (starts-with($fraction, '.') and string-length($fraction) &gt; 1
                    and translate(substring($fraction, 2), '0123456789', '') = '')"/>
    <xsl:variable name="h" select="number(substring($time, 1, 2))"/>
    <xsl:variable name="end-of-day" select="$h = 24 and substring($time, 4) = '00:00' and translate($fraction, '.0', '') = ''"/>
    <xsl:if test="string($date) and translate(substring($day, string-length($day) - 5), '0123456789', '0000000000') = '-00-00'
                  and translate($time, '0123456789', '0000000000') = '00:00:00'
                  and ($h &lt;= 23 or $end-of-day)
                  and number(substring($time, 4, 2)) &lt;= 59
                  and number(substring($time, 7, 2)) &lt;= 59
                  and $fraction-ok and string($zone-ok)">1</xsl:if>
  </xsl:template>

  <!-- PnYnMnDTnHnMnS, every part optional but one, T only before a time part. -->
  <xsl:template name="is-duration">
    <xsl:param name="s"/>
    <xsl:variable name="u" select="substring($s, 1 + starts-with($s, '-'))"/>
    <xsl:variable name="date" select="substring-before(concat(substring($u, 2), 'T'), 'T')"/>
    <xsl:variable name="time" select="substring-after($u, 'T')"/>
    <xsl:variable name="form-d" select="translate($date, '0123456789', '')"/>
    <xsl:variable name="form-t" select="translate($time, '0123456789.', '')"/>
    <xsl:if test="starts-with($u, 'P') and ($date != '' or $time != '')
                  and not(contains($u, 'T') and $time = '')
                  and ($form-d = '' or $form-d = 'Y' or $form-d = 'M' or $form-d = 'D' or $form-d = 'YM'
                       or $form-d = 'YD' or $form-d = 'MD' or $form-d = 'YMD')
                  and ($form-t = '' or $form-t = 'H' or $form-t = 'M' or $form-t = 'S' or $form-t = 'HM'
                       or $form-t = 'HS' or $form-t = 'MS' or $form-t = 'HMS')
                  and translate(substring($date, 1, 1), '0123456789', '') = ''
                  and translate(substring($time, 1, 1), '0123456789', '') = ''
                  and not(contains($date, '.'))">1</xsl:if>
  </xsl:template>

</xsl:stylesheet>

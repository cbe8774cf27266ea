<?xml version="1.0" encoding="UTF-8"?>
<!--
  An ISO 19139 record (gmd:MD_Metadata, gmi:MI_Metadata, the Tidewise
  extension of either, or a profile's root that declares gco:isoType) to the
  host's metadata (root "metadata", ISO 19115 short names).

  The tables of iso19139-map.xsl drive everything: each class element is read
  through its class's table, every property into the host element the row
  names, repeated properties in full and in order. Written for records of any
  origin: gco:nilReason in place of values (kept as the host's "nilReason",
  never as a value), gmx:Anchor or PT_FreeText in place of
  gco:CharacterString, code list values as names (or with their list name in
  front), the GML 3.1 namespace of older records, a profile's classes
  (gco:isoType) read as the ISO classes they extend. The importer writes only
  what the record holds.

  What the tables have no place for (an element of a profile, a property no
  table lists, an object of a class no table knows) is carried: the ISO
  element itself, in a host element carry naming the property it followed.

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
    xmlns:gts="http://www.isotc211.org/2005/gts"
    xmlns:gmi="http://www.isotc211.org/2005/gmi"
    xmlns:srv="http://www.isotc211.org/2005/srv"
    xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:tw="http://www.tidewise.org/2026/iso19139-ext"
    xmlns:map="http://www.tidewise.org/2026/iso19139-ext/map"
    xmlns:exsl="http://exslt.org/common"
    extension-element-prefixes="exsl"
    exclude-result-prefixes="gmd gco gml gml31 gmx gts gmi srv xlink tw map">

  <xsl:include href="iso19139-map.xsl"/>
  <xsl:include href="iso19115-3.xsl"/>

  <xsl:output method="xml" encoding="UTF-8" indent="yes"/>

  <xsl:variable name="tw-ns" select="'http://www.tidewise.org/2026/iso19139-ext'"/>
  <xsl:variable name="theme-thesaurus" select="'Tidewise themes'"/>
  <xsl:variable name="iso19115-3" select="'http://standards.iso.org/iso/19115/-3/'"/>

  <xsl:key name="class" match="map:class" use="@name"/>
  <xsl:key name="choice" match="map:choice" use="@name"/>
  <xsl:key name="code-by-iso" match="map:v" use="concat(../@list, ' ', @iso)"/>
  <xsl:key name="code-by-lower-iso" match="map:v"
      use="concat(../@list, ' ', translate(@iso, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz'))"/>
  <xsl:key name="code-by-code" match="map:v[@code]" use="concat(../@list, ' ', @code)"/>
  <xsl:key name="carried" match="tw:carried" use="@ref"/>
  <xsl:key name="ns" match="map:ns" use="@prefix"/>
  <!-- The elements of a class element, by their name: what a row reads. -->
  <xsl:key name="property" match="*" use="concat(generate-id(..), ' ', namespace-uri(), ' ', local-name())"/>
  <!-- " {uri}name " of every property of each table (its base's too), made once. -->
  <xsl:variable name="names-made">
    <xsl:for-each select="$maps/map:class">
      <names table="{@name}">
        <xsl:call-template name="names"><xsl:with-param name="table" select="@name"/></xsl:call-template>
      </names>
    </xsl:for-each>
  </xsl:variable>
  <xsl:key name="names" match="names" use="@table"/>

  <!-- ===================================================================
       The record
       =================================================================== -->

  <xsl:template match="/">
    <xsl:variable name="records"
        select="//*[self::gmd:MD_Metadata or self::gmi:MI_Metadata or self::tw:MD_Metadata
                or substring-after(@gco:isoType, ':') = 'MD_Metadata' or @gco:isoType = 'MD_Metadata'
                or substring-after(@gco:isoType, ':') = 'MI_Metadata' or @gco:isoType = 'MI_Metadata']"/>
    <!-- ISO 19115-3, either version of its packages, or ours. -->
    <xsl:variable name="records3"
        select="//*[(local-name() = 'MD_Metadata' or local-name() = 'MI_Metadata')
                    and (starts-with(namespace-uri(), $iso19115-3) or namespace-uri() = $tw3-ns)]"/>
    <xsl:choose>
      <xsl:when test="*[count(. | $records) = count($records)]">
        <xsl:apply-templates select="*" mode="record"/>
      </xsl:when>
      <xsl:when test="*[count(. | $records3) = count($records3)]">
        <xsl:apply-templates select="*" mode="record3"/>
      </xsl:when>
      <!-- A record inside a wrapper, as a catalogue answers a request: the
           first (the host asks which one before it imports). -->
      <xsl:when test="($records | $records3)[1][count(. | $records3) = count($records3)]">
        <xsl:apply-templates select="$records3[1]" mode="record3"/>
      </xsl:when>
      <xsl:when test="$records">
        <xsl:apply-templates select="$records[1]" mode="record"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:message terminate="yes">not an ISO 19139 or ISO 19115-3 record: no gmd:MD_Metadata, gmi:MI_Metadata or mdb:MD_Metadata element</xsl:message>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- An ISO 19115-3 record: read as the ISO 19139 it holds. -->
  <xsl:template match="*" mode="record3">
    <xsl:variable name="record">
      <xsl:call-template name="from3-record"><xsl:with-param name="r" select="."/></xsl:call-template>
    </xsl:variable>
    <xsl:apply-templates select="exsl:node-set($record)/*" mode="record"/>
  </xsl:template>

  <xsl:template match="*" mode="record">
    <xsl:variable name="class">
      <xsl:choose>
        <xsl:when test="self::gmi:MI_Metadata or contains(@gco:isoType, 'MI_Metadata')">MI_Metadata</xsl:when>
        <xsl:otherwise>MD_Metadata</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="ident" select="(gmd:identificationInfo/*)[1]"/>
    <xsl:variable name="themes" select="$ident/gmd:descriptiveKeywords/*[normalize-space(gmd:thesaurusName/*/gmd:title/*) = $theme-thesaurus]"/>
    <metadata>
      <xsl:if test="$class = 'MI_Metadata' and not(gmi:acquisitionInformation)">
        <xsl:attribute name="class">MI_Metadata</xsl:attribute>
      </xsl:if>
      <xsl:call-template name="object">
        <xsl:with-param name="table" select="$class"/>
        <xsl:with-param name="e" select="."/>
      </xsl:call-template>
      <xsl:if test="$themes">
        <tideExt>
          <xsl:for-each select="$themes/gmd:keyword">
            <xsl:call-template name="text">
              <xsl:with-param name="name" select="'tidTopic'"/>
              <xsl:with-param name="p" select="."/>
            </xsl:call-template>
          </xsl:for-each>
        </tideExt>
      </xsl:if>
    </metadata>
  </xsl:template>

  <!-- ===================================================================
       Objects
       =================================================================== -->

  <!-- The content of the host element for the class element $e, read
       through $table: its id and uuid, its properties, and what the item
       must carry. $route "first-extent": the geographic descriptions stay
       out (the identification holds them in geoDesc). -->
  <xsl:template name="object">
    <xsl:param name="table"/>
    <xsl:param name="e"/>
    <xsl:param name="route" select="''"/>
    <!-- An id the export made up is not the record's; one that is no XML
         name (some records have "98742") cannot be written back. -->
    <xsl:copy-of select="$e/@id[not(starts-with(., 'tw-'))][translate(substring(., 1, 1), '0123456789-.', '') != '']
                         [translate(., ' :&#9;&#10;&#13;', '') = .] | $e/@uuid"/>
    <xsl:variable name="names">
      <xsl:for-each select="exsl:node-set($names-made)">
        <xsl:value-of select="key('names', $table)"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:call-template name="rows">
      <xsl:with-param name="table" select="$table"/>
      <xsl:with-param name="e" select="$e"/>
      <xsl:with-param name="names" select="$names"/>
      <xsl:with-param name="route" select="$route"/>
    </xsl:call-template>
    <!-- What the export had to write apart, in tw:carried. -->
    <xsl:for-each select="$e[@id]">
      <xsl:for-each select="key('carried', @id)">
        <xsl:for-each select="*">
          <carry after="{../@after}"><xsl:copy-of select="."/></carry>
        </xsl:for-each>
      </xsl:for-each>
    </xsl:for-each>
    <xsl:for-each select="$e/*[not(contains($names, concat(' {', namespace-uri(), '}', local-name(), ' ')))]
                          [not(self::tw:verbatim or self::tw:carried)]">
      <xsl:call-template name="carry">
        <xsl:with-param name="names" select="$names"/>
      </xsl:call-template>
    </xsl:for-each>
  </xsl:template>

  <!-- " {uri}name " for every property of $table and its base. -->
  <xsl:template name="names">
    <xsl:param name="table"/>
    <xsl:for-each select="$maps">
      <xsl:variable name="t" select="key('class', $table)"/>
      <xsl:if test="$t/@base">
        <xsl:call-template name="names"><xsl:with-param name="table" select="$t/@base"/></xsl:call-template>
      </xsl:if>
      <xsl:for-each select="$t/map:p">
        <xsl:variable name="prefix" select="(@ns | ../@ns)[last()]"/>
        <xsl:value-of select="concat(' {', $maps/map:ns[@prefix = $prefix]/@uri, '}', @iso, ' ')"/>
        <xsl:if test="@also">
          <xsl:value-of select="concat(' {', $maps/map:ns[@prefix = current()/@also]/@uri, '}', @iso, ' ')"/>
        </xsl:if>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>

  <!-- The ISO element (the context node) kept as it is, with the property
       of its class that it follows. -->
  <xsl:template name="carry">
    <xsl:param name="names"/>
    <xsl:variable name="before"
        select="preceding-sibling::*[contains($names, concat(' {', namespace-uri(), '}', local-name(), ' '))][1]"/>
    <carry>
      <xsl:attribute name="after">
        <xsl:if test="$before">
          <xsl:value-of select="concat($maps/map:ns[@uri = namespace-uri($before)]/@prefix, ':', local-name($before))"/>
        </xsl:if>
      </xsl:attribute>
      <xsl:copy-of select="."/>
    </carry>
  </xsl:template>

  <xsl:template name="rows">
    <xsl:param name="table"/>
    <xsl:param name="e"/>
    <xsl:param name="names"/>
    <xsl:param name="route"/>
    <xsl:for-each select="$maps">
      <xsl:variable name="t" select="key('class', $table)"/>
      <xsl:if test="$t/@base">
        <xsl:call-template name="rows">
          <xsl:with-param name="table" select="$t/@base"/>
          <xsl:with-param name="e" select="$e"/>
          <xsl:with-param name="names" select="$names"/>
          <xsl:with-param name="route" select="$route"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:for-each select="$t/map:p">
        <xsl:variable name="row" select="."/>
        <xsl:variable name="prefix" select="(@ns | ../@ns)[last()]"/>
        <xsl:variable name="uri" select="string(key('ns', $prefix)/@uri)"/>
        <xsl:variable name="also" select="string(key('ns', $row/@also)/@uri)"/>
        <xsl:for-each select="$e">
          <xsl:call-template name="row">
            <xsl:with-param name="row" select="$row"/>
            <xsl:with-param name="found"
                select="key('property', concat(generate-id(), ' ', $uri, ' ', $row/@iso))
                        | key('property', concat(generate-id(), ' ', $also, ' ', $row/@iso))"/>
            <xsl:with-param name="names" select="$names"/>
            <xsl:with-param name="route" select="$route"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>

  <!-- One row of a table for the elements $found of its class element. -->
  <xsl:template name="row">
    <xsl:param name="row"/>
    <xsl:param name="found"/>
    <xsl:param name="names"/>
    <xsl:param name="route"/>
        <xsl:variable name="props" select="$found[$row/@max = 'n' or position() = 1]"/>
        <xsl:choose>
          <xsl:when test="$row/@host = 'dataExt'">
            <!-- The identification's extents; the geographic descriptions of
                 the first stand in geoDesc. -->
            <xsl:for-each select="$props">
              <xsl:call-template name="property">
                <xsl:with-param name="row" select="$row"/>
                <xsl:with-param name="names" select="$names"/>
                <xsl:with-param name="route" select="substring('first-extent', 1, 12 * (position() = 1))"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$props[1]/gmd:EX_Extent/gmd:geographicElement[gmd:EX_GeographicDescription or tw:EX_GeographicDescription]">
              <geoDesc>
                <xsl:call-template name="object">
                  <xsl:with-param name="table" select="'EX_GeographicDescription'"/>
                  <xsl:with-param name="e" select="*"/>
                </xsl:call-template>
              </geoDesc>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$props">
              <xsl:choose>
                <xsl:when test="tw:MD_CRS[not(gmd:referenceSystemIdentifier)]
                                and preceding-sibling::*[1][self::gmd:referenceSystemInfo/gmd:MD_ReferenceSystem]"/>
                <xsl:when test="$row/@iso = 'descriptiveKeywords' and normalize-space(*/gmd:thesaurusName/*/gmd:title/*) = $theme-thesaurus"/>
                <xsl:when test="$row/@iso = 'metadataExtensionInfo' and */gmd:extensionOnLineResource/*/gmd:linkage/gmd:URL = $tw-ns"/>
                <xsl:when test="$route = 'first-extent' and $row/@iso = 'geographicElement'
                                and (gmd:EX_GeographicDescription or tw:EX_GeographicDescription)"/>
                <xsl:otherwise>
                  <xsl:call-template name="property">
                    <xsl:with-param name="row" select="$row"/>
                    <xsl:with-param name="names" select="$names"/>
                  </xsl:call-template>
                </xsl:otherwise>
              </xsl:choose>
            </xsl:for-each>
          </xsl:otherwise>
        </xsl:choose>
        <!-- A property that ISO does not repeat, given again. -->
        <xsl:for-each select="$found[position() &gt; 1][not($row/@max = 'n')]">
          <xsl:call-template name="carry">
            <xsl:with-param name="names" select="$names"/>
          </xsl:call-template>
        </xsl:for-each>
  </xsl:template>

  <!-- The ISO class of an element: its own name, or the one its profile
       says it extends. -->
  <xsl:template name="iso-class">
    <xsl:param name="x"/>
    <xsl:choose>
      <xsl:when test="contains($x/@gco:isoType, ':')"><xsl:value-of select="substring-after($x/@gco:isoType, ':')"/></xsl:when>
      <xsl:when test="$x/@gco:isoType"><xsl:value-of select="$x/@gco:isoType"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="local-name($x)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- One property element (the context node) of row $row. -->
  <xsl:template name="property">
    <xsl:param name="row"/>
    <xsl:param name="names"/>
    <xsl:param name="route" select="''"/>
    <xsl:variable name="p" select="."/>
    <xsl:variable name="x" select="*[1]"/>
    <xsl:variable name="x-class">
      <xsl:call-template name="iso-class"><xsl:with-param name="x" select="$x"/></xsl:call-template>
    </xsl:variable>
    <xsl:choose>
      <!-- Text where ISO wants an element: kept as it is. -->
      <xsl:when test="not(*) and normalize-space(text()) != '' and not($row/@type = 'inline')">
        <xsl:call-template name="carry"><xsl:with-param name="names" select="$names"/></xsl:call-template>
      </xsl:when>
      <!-- A placeholder: no value, nothing to keep. -->
      <xsl:when test="not(*) and not(@*[not(local-name() = 'nilReason' and . = 'missing')])
                      and not($row/@type = 'inline') and not($row/@type = 'text' and string(.))"/>
      <!-- An empty property whose attributes mean nothing here (some records
           write "href" without its namespace): a placeholder too. -->
      <xsl:when test="not(*) and not(@xlink:href or @xlink:title or @uuidref or @gco:nilReason[. != 'missing'])
                      and ($row/@class or $row/@choice)"/>
      <!-- An object of one class. -->
      <xsl:when test="$row/@class">
        <xsl:variable name="t" select="$maps/map:class[@name = $row/@class]"/>
        <xsl:choose>
          <xsl:when test="not($x)">
            <xsl:element name="{$row/@host}">
              <xsl:call-template name="property-attributes"/>
            </xsl:element>
          </xsl:when>
          <xsl:when test="($x-class = $t/@iso or not($t/@iso) and $x-class = $t/@name) and not(*[2])">
            <xsl:element name="{$row/@host}">
              <xsl:call-template name="property-attributes"/>
              <xsl:call-template name="object">
                <xsl:with-param name="table" select="$row/@class"/>
                <xsl:with-param name="e" select="$x"/>
                <xsl:with-param name="route" select="$route"/>
              </xsl:call-template>
            </xsl:element>
          </xsl:when>
          <xsl:otherwise>
            <xsl:call-template name="carry"><xsl:with-param name="names" select="$names"/></xsl:call-template>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- An object of one of several classes. -->
      <xsl:when test="$row/@choice">
        <xsl:variable name="options" select="$maps/map:choice[@name = $row/@choice]/map:c"/>
        <xsl:variable name="c" select="$options[@iso = $x-class][1]"/>
        <xsl:variable name="default" select="$options[@host = $c/@host][not(@detect)][1]"/>
        <xsl:variable name="table">
          <xsl:choose>
            <xsl:when test="$c/@table"><xsl:value-of select="$c/@table"/></xsl:when>
            <xsl:otherwise><xsl:value-of select="$c/@iso"/></xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="not($x) and $row/@host != ''">
            <xsl:element name="{$row/@host}">
              <xsl:call-template name="property-attributes"/>
            </xsl:element>
          </xsl:when>
          <xsl:when test="not($c) or *[2] or ($row/@host = '' and (@gco:nilReason or @xlink:href or @uuidref))">
            <xsl:call-template name="carry"><xsl:with-param name="names" select="$names"/></xsl:call-template>
          </xsl:when>
          <xsl:otherwise>
            <!-- The class is marked where its properties would not tell it. -->
            <xsl:variable name="properties">
              <xsl:for-each select="$x/*"><xsl:value-of select="concat(' ', local-name(), ' ')"/></xsl:for-each>
            </xsl:variable>
            <xsl:variable name="told"
                select="$maps/map:class[@name = $table]/map:p[contains(concat(' ', $c/@detect, ' '), concat(' ', @host, ' '))]
                                                            [contains($properties, concat(' ', @iso, ' '))]"/>
            <xsl:variable name="marked" select="$c/@detect and $c/@iso != $default/@iso and not($told)"/>
            <xsl:choose>
              <xsl:when test="$row/@host = ''">
                <xsl:element name="{$c/@host}"><xsl:call-template name="choice-object">
                    <xsl:with-param name="class" select="$c/@iso"/>
                    <xsl:with-param name="marked" select="$marked"/>
                    <xsl:with-param name="table" select="$table"/>
                    <xsl:with-param name="e" select="$x"/>
                    <xsl:with-param name="route" select="$route"/>
                  </xsl:call-template></xsl:element>
              </xsl:when>
              <xsl:when test="$c/@host = ''">
                <xsl:element name="{$row/@host}">
                  <xsl:call-template name="property-attributes"/>
                  <xsl:call-template name="choice-object">
                    <xsl:with-param name="class" select="$c/@iso"/>
                    <xsl:with-param name="marked" select="$marked"/>
                    <xsl:with-param name="table" select="$table"/>
                    <xsl:with-param name="e" select="$x"/>
                    <xsl:with-param name="route" select="$route"/>
                  </xsl:call-template>
                </xsl:element>
              </xsl:when>
              <xsl:otherwise>
                <xsl:element name="{$row/@host}">
                  <xsl:call-template name="property-attributes"/>
                  <xsl:element name="{$c/@host}"><xsl:call-template name="choice-object">
                    <xsl:with-param name="class" select="$c/@iso"/>
                    <xsl:with-param name="marked" select="$marked"/>
                    <xsl:with-param name="table" select="$table"/>
                    <xsl:with-param name="e" select="$x"/>
                    <xsl:with-param name="route" select="$route"/>
                  </xsl:call-template></xsl:element>
                </xsl:element>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="readable">
          <xsl:call-template name="readable">
            <xsl:with-param name="type" select="$row/@type"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="not(string($readable))">
            <xsl:call-template name="carry"><xsl:with-param name="names" select="$names"/></xsl:call-template>
          </xsl:when>
          <xsl:when test="$row/@host = ''">
            <xsl:call-template name="value"><xsl:with-param name="row" select="$row"/></xsl:call-template>
          </xsl:when>
          <xsl:when test="$row/@type = 'text' or $row/@type = 'URL'">
            <!-- A text holds an empty value too. -->
            <xsl:element name="{$row/@host}">
              <xsl:call-template name="value"><xsl:with-param name="row" select="$row"/></xsl:call-template>
            </xsl:element>
          </xsl:when>
          <xsl:otherwise>
            <xsl:variable name="v">
              <v><xsl:call-template name="value"><xsl:with-param name="row" select="$row"/></xsl:call-template></v>
            </xsl:variable>
            <xsl:variable name="w" select="exsl:node-set($v)/v"/>
            <!-- The importer writes only what the record holds: an empty
                 text is a value, an empty number is none. -->
            <xsl:if test="$w/@* or $w/node() or ($row/@type = 'text' and *)">
              <xsl:element name="{$row/@host}">
                <xsl:copy-of select="$w/@* | $w/node()"/>
              </xsl:element>
            </xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A class chosen among several: its mark where the host element could
       stand for another, and its content. A reference system's identifier
       and the description of ours that the export wrote after it (without
       an identifier) are one reference system of the host. -->
  <xsl:template name="choice-object">
    <xsl:param name="class"/>
    <xsl:param name="marked"/>
    <xsl:param name="table"/>
    <xsl:param name="e"/>
    <xsl:param name="route"/>
    <xsl:if test="$marked">
      <xsl:attribute name="class"><xsl:value-of select="$class"/></xsl:attribute>
    </xsl:if>
    <xsl:call-template name="object">
      <xsl:with-param name="table" select="$table"/>
      <xsl:with-param name="e" select="$e"/>
      <xsl:with-param name="route" select="$route"/>
    </xsl:call-template>
    <xsl:variable name="crs"
        select="$e/self::gmd:MD_ReferenceSystem/../following-sibling::*[1]/self::gmd:referenceSystemInfo/tw:MD_CRS[not(gmd:referenceSystemIdentifier)]"/>
    <xsl:if test="$crs">
      <xsl:call-template name="object">
        <xsl:with-param name="table" select="'MD_CRS'"/>
        <xsl:with-param name="e" select="$crs"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- The attributes of a property (the context node): its nil reason, and
       the reference of a property given by reference. -->
  <xsl:template name="property-attributes">
    <!-- "missing" is what a writer puts where ISO wants a value it has not:
         no value, and nothing to keep. -->
    <xsl:if test="@gco:nilReason and @gco:nilReason != 'missing' and not(*)">
      <xsl:attribute name="nilReason"><xsl:value-of select="@gco:nilReason"/></xsl:attribute>
    </xsl:if>
    <xsl:if test="@xlink:href"><xsl:attribute name="href"><xsl:value-of select="@xlink:href"/></xsl:attribute></xsl:if>
    <xsl:if test="@xlink:title"><xsl:attribute name="title"><xsl:value-of select="@xlink:title"/></xsl:attribute></xsl:if>
    <xsl:if test="@uuidref"><xsl:attribute name="uuidref"><xsl:value-of select="@uuidref"/></xsl:attribute></xsl:if>
  </xsl:template>

  <!-- "1" when the property (the context node) holds what a value of $type
       is read from; anything else is carried. -->
  <xsl:template name="readable">
    <xsl:param name="type"/>
    <xsl:variable name="x" select="*[1]"/>
    <xsl:choose>
      <xsl:when test="$type = 'inline' or not($x)">1</xsl:when>
      <xsl:when test="$type = 'text'">
        <xsl:if test="not(*[not(self::gco:CharacterString or self::gmx:Anchor or self::gmx:FileName
                              or self::gmx:MimeFileType or self::gmd:PT_FreeText or self::gco:characterString)])
                      and not(gmd:PT_FreeText/*[not(self::gmd:textGroup)])">1</xsl:if>
      </xsl:when>
      <xsl:when test="*[2]"/>
      <xsl:when test="$type = 'URL'"><xsl:if test="$x/self::gmd:URL">1</xsl:if></xsl:when>
      <xsl:when test="$type = 'Record' or $type = 'Binary'"><xsl:if test="not($x/*)">1</xsl:if></xsl:when>
      <xsl:when test="$type = 'href' or $type = 'ref'"/>
      <xsl:when test="$type = 'unit'">
        <xsl:if test="($x/self::gml:UnitDefinition or $x/self::gml31:UnitDefinition)
                      and not($x/*[local-name() != 'identifier'])">1</xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'polygon'">
        <xsl:if test="($x/self::gml:Polygon or $x/self::gml31:Polygon)
                      and not($x/*[local-name() != 'exterior' and local-name() != 'interior'])
                      and not($x/*/*[local-name() != 'LinearRing'])
                      and not($x/*/*/*[local-name() != 'posList' and local-name() != 'pos'])
                      and not($x/*/*[*[local-name() = 'pos'] and *[local-name() = 'posList']])">1</xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'point'">
        <xsl:if test="($x/self::gml:Point or $x/self::gml31:Point) and count($x/*) = 1 and $x/*[local-name() = 'pos']">1</xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'time'">
        <xsl:if test="$x[self::gml:TimePeriod or self::gml31:TimePeriod or self::gml:TimeInstant or self::gml31:TimeInstant]">1</xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'language' or $type = 'country' or $type = 'code' or $type = 'enum'">
        <xsl:if test="not($x/*)">1</xsl:if>
      </xsl:when>
      <xsl:when test="$type = 'MemberName' or $type = 'TypeName'">
        <xsl:if test="$x/gco:aName/gco:CharacterString">1</xsl:if>
      </xsl:when>
      <xsl:when test="$x/self::gco:* or $x/self::gts:*">
        <xsl:if test="not($x/*)">1</xsl:if>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- ===================================================================
       Values: the attributes and content of the host element of a
       property (the context node).
       =================================================================== -->

  <xsl:template name="value">
    <xsl:param name="row"/>
    <xsl:variable name="type" select="$row/@type"/>
    <xsl:variable name="x" select="*[1]"/>
    <xsl:choose>
      <xsl:when test="$type = 'text'">
        <!-- gco:characterString: a misspelling some writers make. -->
        <xsl:variable name="v" select="(gco:CharacterString | gmx:Anchor | gmx:FileName | gmx:MimeFileType | gco:characterString)[1]"/>
        <xsl:variable name="translations" select="gmd:PT_FreeText/gmd:textGroup/gmd:LocalisedCharacterString"/>
        <xsl:if test="not($v or $translations)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:if test="$v/@xlink:href"><xsl:attribute name="href"><xsl:value-of select="$v/@xlink:href"/></xsl:attribute></xsl:if>
        <xsl:if test="$v/@xlink:title"><xsl:attribute name="title"><xsl:value-of select="$v/@xlink:title"/></xsl:attribute></xsl:if>
        <xsl:if test="$v/self::gmx:FileName"><xsl:attribute name="src"><xsl:value-of select="$v/@src"/></xsl:attribute></xsl:if>
        <xsl:if test="$v/self::gmx:MimeFileType"><xsl:attribute name="mimeType"><xsl:value-of select="$v/@type"/></xsl:attribute></xsl:if>
        <xsl:value-of select="$v"/>
        <xsl:for-each select="$translations">
          <transl>
            <xsl:copy-of select="@locale | @id"/>
            <xsl:value-of select="."/>
          </transl>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$type = 'URL'">
        <xsl:if test="not($x)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:value-of select="$x"/>
      </xsl:when>
      <xsl:when test="$type = 'code' or $type = 'enum'">
        <xsl:if test="not($x)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:call-template name="code"><xsl:with-param name="row" select="$row"/></xsl:call-template>
      </xsl:when>
      <xsl:when test="$type = 'language' or $type = 'country'">
        <xsl:if test="not($x)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:variable name="code" select="$x[self::gmd:LanguageCode or self::gmd:Country]"/>
        <xsl:variable name="value">
          <xsl:choose>
            <xsl:when test="normalize-space($code/@codeListValue)"><xsl:value-of select="normalize-space($code/@codeListValue)"/></xsl:when>
            <xsl:otherwise><xsl:value-of select="normalize-space($code)"/></xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="$code and string($value) and $type = 'language'"><languageCode value="{$value}"><xsl:copy-of select="$code/@codeSpace"/></languageCode></xsl:when>
          <xsl:when test="$code and string($value)"><countryCode value="{$value}"><xsl:copy-of select="$code/@codeSpace"/></countryCode></xsl:when>
          <xsl:otherwise><xsl:value-of select="$x/self::gco:CharacterString"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$type = 'time'">
        <xsl:variable name="period" select="$x[self::gml:TimePeriod or self::gml31:TimePeriod]"/>
        <xsl:variable name="instant" select="$x[self::gml:TimeInstant or self::gml31:TimeInstant]"/>
        <xsl:variable name="class" select=".."/>
        <xsl:for-each select="$period">
          <beginEnd>
            <xsl:call-template name="gml-id"/>
            <xsl:call-template name="position">
              <xsl:with-param name="name" select="'begin'"/>
              <xsl:with-param name="position"
                  select="gml:beginPosition | gml31:beginPosition | gml:begin/gml:TimeInstant/gml:timePosition
                          | gml31:begin/gml31:TimeInstant/gml31:timePosition"/>
              <xsl:with-param name="verbatim" select="$class/tw:verbatim[@property = 'beginPosition']"/>
            </xsl:call-template>
            <xsl:call-template name="position">
              <xsl:with-param name="name" select="'end'"/>
              <xsl:with-param name="position"
                  select="gml:endPosition | gml31:endPosition | gml:end/gml:TimeInstant/gml:timePosition
                          | gml31:end/gml31:TimeInstant/gml31:timePosition"/>
              <xsl:with-param name="verbatim" select="$class/tw:verbatim[@property = 'endPosition']"/>
            </xsl:call-template>
          </beginEnd>
        </xsl:for-each>
        <xsl:for-each select="$instant">
          <xsl:call-template name="position">
            <xsl:with-param name="name" select="'instant'"/>
            <xsl:with-param name="position" select="gml:timePosition | gml31:timePosition"/>
            <xsl:with-param name="verbatim" select="$class/tw:verbatim[@property = 'timePosition']"/>
            <xsl:with-param name="id" select="(@gml:id | @gml31:id)[not(starts-with(., 'tw-'))]"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$type = 'ref'">
        <xsl:call-template name="property-attributes"/>
      </xsl:when>
      <xsl:when test="$type = 'href'">
        <xsl:if test="not(@xlink:href)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:value-of select="@xlink:href"/>
      </xsl:when>
      <xsl:when test="$type = 'unit'">
        <xsl:call-template name="property-attributes"/>
        <xsl:for-each select="$x">
          <xsl:call-template name="gml-id"><xsl:with-param name="name" select="'unitId'"/></xsl:call-template>
          <xsl:variable name="identifier" select="gml:identifier | gml31:identifier"/>
          <xsl:if test="$identifier/@codeSpace != $tw-ns">
            <xsl:attribute name="codeSpace"><xsl:value-of select="$identifier/@codeSpace"/></xsl:attribute>
          </xsl:if>
          <xsl:if test="$identifier"><uomName><xsl:value-of select="$identifier"/></uomName></xsl:if>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$type = 'polygon'">
        <xsl:if test="not($x)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:for-each select="$x">
          <xsl:copy-of select="@srsName"/>
          <xsl:call-template name="gml-id"/>
          <xsl:for-each select="*">
            <xsl:element name="{local-name()}">
              <xsl:variable name="ring" select="*/*"/>
              <xsl:if test="$ring[local-name() = 'pos']"><xsl:attribute name="posForm">pos</xsl:attribute></xsl:if>
              <xsl:for-each select="$ring">
                <xsl:if test="position() &gt; 1"><xsl:text> </xsl:text></xsl:if>
                <xsl:value-of select="normalize-space(.)"/>
              </xsl:for-each>
            </xsl:element>
          </xsl:for-each>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$type = 'point'">
        <xsl:if test="not($x)"><xsl:call-template name="property-attributes"/></xsl:if>
        <xsl:for-each select="$x">
          <xsl:call-template name="gml-id"/>
          <xsl:value-of select="normalize-space(*)"/>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="typed"><xsl:with-param name="row" select="$row"/></xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The gml:id of the context node, unless the export made it up. -->
  <xsl:template name="gml-id">
    <xsl:param name="name" select="'id'"/>
    <xsl:variable name="id" select="(@gml:id | @gml31:id)[not(starts-with(., 'tw-'))]"/>
    <xsl:if test="$id"><xsl:attribute name="{$name}"><xsl:value-of select="$id"/></xsl:attribute></xsl:if>
  </xsl:template>

  <!-- A text property as its own host element $name, for the theme. -->
  <xsl:template name="text">
    <xsl:param name="name"/>
    <xsl:param name="p"/>
    <xsl:variable name="value" select="($p/gco:CharacterString | $p/gmx:Anchor)[1]"/>
    <xsl:if test="$value">
      <xsl:element name="{$name}"><xsl:value-of select="$value"/></xsl:element>
    </xsl:if>
  </xsl:template>

  <!-- A property of another gco or gts type (the context node), as text; its
       verbatim text from the extension when there is one. Booleans as
       "true" and "false", a measure as the value, a space and its unit. -->
  <xsl:template name="typed">
    <xsl:param name="row"/>
    <xsl:variable name="type" select="$row/@type"/>
    <xsl:variable name="v" select="*[1]"/>
    <xsl:variable name="text" select="normalize-space($v)"/>
    <xsl:choose>
      <xsl:when test="@gco:nilReason = 'other:verbatim' and ../tw:verbatim[@property = $row/@iso]">
        <!-- The k-th such property takes the k-th verbatim text of its name. -->
        <xsl:variable name="k" select="count(preceding-sibling::*[local-name() = local-name(current())][@gco:nilReason = 'other:verbatim']) + 1"/>
        <xsl:value-of select="../tw:verbatim[@property = $row/@iso][$k]/*"/>
      </xsl:when>
      <xsl:when test="$type = 'inline'"><xsl:value-of select="normalize-space(.)"/></xsl:when>
      <xsl:when test="not($v)"><xsl:call-template name="property-attributes"/></xsl:when>
      <xsl:when test="$type = 'Binary'"><BinaryBase64><xsl:value-of select="$v"/></BinaryBase64></xsl:when>
      <xsl:when test="$type = 'Record'"><otherValue><xsl:value-of select="$v"/></otherValue></xsl:when>
      <xsl:when test="$text = ''"/>
      <xsl:when test="$v/self::gco:Boolean">
        <xsl:choose>
          <xsl:when test="$text = '1' or $text = 'true'">true</xsl:when>
          <xsl:when test="$text = '0' or $text = 'false'">false</xsl:when>
          <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$type = 'GenericName'">
        <xsl:copy-of select="$v/@codeSpace"/>
        <xsl:if test="$v/self::gco:ScopedName"><xsl:attribute name="scoped">true</xsl:attribute></xsl:if>
        <xsl:value-of select="$text"/>
      </xsl:when>
      <xsl:when test="$type = 'MemberName'">
        <xsl:variable name="attribute-type" select="$v/gco:attributeType/gco:TypeName/gco:aName/gco:CharacterString"/>
        <xsl:if test="$attribute-type"><xsl:attribute name="attributeType"><xsl:value-of select="$attribute-type"/></xsl:attribute></xsl:if>
        <xsl:value-of select="$v/gco:aName/gco:CharacterString"/>
      </xsl:when>
      <xsl:when test="$type = 'TypeName'"><xsl:value-of select="$v/gco:aName/gco:CharacterString"/></xsl:when>
      <xsl:when test="$v/@uom"><xsl:value-of select="concat($text, ' ', $v/@uom)"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A time position: its text, else its indeterminate position (an
       unknown one is no value). -->
  <xsl:template name="position">
    <xsl:param name="name"/>
    <xsl:param name="position"/>
    <xsl:param name="verbatim"/>
    <xsl:param name="id" select="/.."/>
    <xsl:variable name="value" select="normalize-space($position[1])"/>
    <xsl:variable name="indeterminate" select="normalize-space($position[1]/@indeterminatePosition)"/>
    <xsl:variable name="held" select="$verbatim or $value or ($indeterminate and $indeterminate != 'unknown')"/>
    <xsl:if test="$held or $id">
      <xsl:element name="{$name}">
        <xsl:if test="$id"><xsl:attribute name="id"><xsl:value-of select="$id"/></xsl:attribute></xsl:if>
        <xsl:if test="$held"><xsl:copy-of select="$position[1]/@frame | $position[1]/@calendarEraName"/></xsl:if>
        <xsl:choose>
          <xsl:when test="$verbatim"><xsl:value-of select="$verbatim[1]/*"/></xsl:when>
          <xsl:when test="$value"><xsl:value-of select="$value"/></xsl:when>
          <xsl:when test="$indeterminate and $indeterminate != 'unknown'">
            <xsl:attribute name="indeterminate"><xsl:value-of select="$indeterminate"/></xsl:attribute>
          </xsl:when>
        </xsl:choose>
      </xsl:element>
    </xsl:if>
  </xsl:template>

  <!-- A code list value (of the property, the context node): the host's
       three-digit code in the "value" of the row's code element, or the
       host's name as text. A value under a code list of ours is the host's
       text itself; an ISO value outside the table is kept as it is. -->
  <xsl:template name="code">
    <xsl:param name="row"/>
    <xsl:variable name="list" select="$row/@list"/>
    <xsl:variable name="element" select="*[1]"/>
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
    <xsl:variable name="form" select="string($row/@form)"/>
    <xsl:variable name="host">
      <xsl:choose>
        <xsl:when test="starts-with($element/@codeList, $tw-ns)"><xsl:value-of select="$element"/></xsl:when>
        <xsl:otherwise>
          <xsl:for-each select="$maps">
            <xsl:variable name="entry"
                select="(key('code-by-iso', concat($list, ' ', $iso))
                         | key('code-by-lower-iso', concat($list, ' ', translate($iso, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz')))
                         | key('code-by-code', concat($list, ' ', $iso)))[1]"/>
            <xsl:choose>
              <xsl:when test="$entry and $form"><xsl:value-of select="$entry/@code"/></xsl:when>
              <xsl:when test="$entry/@name"><xsl:value-of select="$entry/@name"/></xsl:when>
              <xsl:when test="$entry"><xsl:value-of select="$entry/@iso"/></xsl:when>
              <xsl:otherwise><xsl:value-of select="$iso"/></xsl:otherwise>
            </xsl:choose>
          </xsl:for-each>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:if test="string($host)">
      <xsl:choose>
        <xsl:when test="$form">
          <xsl:element name="{$form}">
            <xsl:attribute name="value"><xsl:value-of select="$host"/></xsl:attribute>
            <xsl:copy-of select="$element/@codeSpace"/>
          </xsl:element>
        </xsl:when>
        <xsl:otherwise>
          <xsl:copy-of select="$element/@codeSpace"/>
          <xsl:value-of select="$host"/>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:if>
  </xsl:template>

</xsl:stylesheet>

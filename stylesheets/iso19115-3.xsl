<?xml version="1.0" encoding="UTF-8"?>
<!--
  ISO 19115-3 on both sides of the item: what toTidewiseModel.xslt writes as
  ISO 19139 becomes an ISO 19115-3 record (mode "to3"), and an ISO 19115-3
  record becomes the ISO 19139 that toVelmarModel.xslt reads (mode "from3").
  Both stylesheets include this file; both directions follow the 19115-3
  column of the tables in iso19139-map.xsl (ns3, iso3, order3 on a class;
  to3, move3, wrap3, form3, max3 on a property), so that the item's model of
  a record stays one mapping.

  Renames follow the tables. The moves (@move3) are the places where the two
  XMLs differ in shape: a responsible party becomes a responsibility with a
  party, the date stamp a dated dateInfo, language and character set a
  locale, data quality is split from lineage, and the others the templates
  below name.

  What one side has no place for:
  - Elements of ISO 19115-3 that ISO 19139 has no place for stay as they are
    in the ISO 19139 that the importer reads; it carries them in the item,
    and the export writes them back in their place. Where the item holds a
    value of such an element and the element holds more, the import keeps
    the whole element beside the value, marked tw3:shadow with the property
    it shadows: the export writes the element with the item's value in it
    (the item's value wins), or leaves it out when the item has none.
  - ISO 19139 properties and elements of other standards that ISO 19115-3
    has no place for travel in tw3:carried at the end of the record, naming
    their class element by id and the ISO 19139 property they followed; the
    import puts them back.
  - Values kept verbatim, the reference system description and the altitude
    bounds and vertical unit of the Tidewise extension of ISO 19139 travel in
    the classes of the extension of ISO 19115-3 (tidewise-iso19115-3.xsd).
-->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:map="http://www.tidewise.org/2026/iso19139-ext/map"
    xmlns:exsl="http://exslt.org/common"
    xmlns:gmd="http://www.isotc211.org/2005/gmd"
    xmlns:gco="http://www.isotc211.org/2005/gco"
    xmlns:gmx="http://www.isotc211.org/2005/gmx"
    xmlns:gts="http://www.isotc211.org/2005/gts"
    xmlns:srv="http://www.isotc211.org/2005/srv"
    xmlns:gmi="http://www.isotc211.org/2005/gmi"
    xmlns:gml="http://www.opengis.net/gml/3.2"
    xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
    xmlns:tw="http://www.tidewise.org/2026/iso19139-ext"
    xmlns:tw3="http://www.tidewise.org/2026/iso19115-3-ext"
    xmlns:gco3="http://standards.iso.org/iso/19115/-3/gco/1.0"
    extension-element-prefixes="exsl"
    exclude-result-prefixes="map exsl gmd gco gmx gts srv gmi gml xlink xsi tw tw3 gco3">

  <xsl:variable name="tw3-ns" select="'http://www.tidewise.org/2026/iso19115-3-ext'"/>
  <xsl:variable name="iso3-prefix" select="'http://standards.iso.org/iso/19115/-3/'"/>
  <xsl:variable name="iso3-quality-prefix" select="'http://standards.iso.org/iso/19157/-2/'"/>
  <xsl:variable name="iso3-codelists" select="'http://standards.iso.org/iso/19115/resources/Codelists/cat/codelists.xml#'"/>
  <xsl:variable name="iso19139-codelists"
      select="'http://standards.iso.org/ittf/PubliclyAvailableStandards/ISO_19139_Schemas/resources/Codelist/gmxCodelists.xml'"/>
  <xsl:variable name="tw19139-ns" select="'http://www.tidewise.org/2026/iso19139-ext'"/>
  <!-- The tables, once: a search among them is then a search of few. -->
  <xsl:variable name="tables3" select="$maps/map:class"/>
  <xsl:variable name="choices3" select="$maps/map:choice"/>
  <xsl:variable name="codes3" select="$maps/map:codes"/>
  <xsl:variable name="ns3s" select="$maps/map:ns3"/>
  <xsl:variable name="ns19139" select="$maps/map:ns"/>
  <xsl:variable name="namespaces3" select="$maps/map:namespaces3"/>
  <xsl:variable name="iso19139-namespaces"
      select="' http://www.isotc211.org/2005/gmd http://www.isotc211.org/2005/gco http://www.isotc211.org/2005/gmx http://www.isotc211.org/2005/srv http://www.isotc211.org/2005/gmi http://www.isotc211.org/2005/gts http://www.tidewise.org/2026/iso19139-ext '"/>


  <!-- ===================================================================
       Names
       =================================================================== -->

  <!-- The ISO 19115-3 prefix of an element of any version of its packages
       (mdb/1.0 and mdb/2.0 are both "mdb"), tw3 for ours, '' for others. -->
  <xsl:template name="package">
    <xsl:param name="n" select="."/>
    <xsl:variable name="uri" select="namespace-uri($n)"/>
    <xsl:choose>
      <xsl:when test="starts-with($uri, $iso3-prefix)">
        <xsl:value-of select="substring-before(substring-after($uri, $iso3-prefix), '/')"/>
      </xsl:when>
      <xsl:when test="starts-with($uri, $iso3-quality-prefix)">
        <xsl:value-of select="substring-before(substring-after($uri, $iso3-quality-prefix), '/')"/>
      </xsl:when>
      <xsl:when test="$uri = $tw3-ns">tw3</xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- "prefix:name" of a 19115-3 element, '' for any other. -->
  <xsl:template name="qname3">
    <xsl:param name="n" select="."/>
    <xsl:variable name="p"><xsl:call-template name="package"><xsl:with-param name="n" select="$n"/></xsl:call-template></xsl:variable>
    <xsl:if test="string($p)"><xsl:value-of select="concat($p, ':', local-name($n))"/></xsl:if>
  </xsl:template>

  <!-- The 19139 prefix of an element in ISO 19139's namespaces, '' for others. -->
  <xsl:template name="prefix19139">
    <xsl:param name="n" select="."/>
    <xsl:choose>
      <xsl:when test="$n/self::gmd:*">gmd</xsl:when>
      <xsl:when test="$n/self::srv:*">srv</xsl:when>
      <xsl:when test="$n/self::gmi:*">gmi</xsl:when>
      <xsl:when test="$n/self::tw:*">tw</xsl:when>
      <xsl:when test="$n/self::gco:*">gco</xsl:when>
      <xsl:when test="$n/self::gmx:*">gmx</xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- An element of ISO 19115-3 named "prefix:name" (the prefix one of
       map:ns3), with the content the caller gives. -->
  <xsl:template name="uri3">
    <xsl:param name="qname"/>
    <xsl:variable name="prefix" select="substring-before($qname, ':')"/>
    <xsl:value-of select="$ns3s[@prefix = $prefix]/@uri"/>
  </xsl:template>

  <!-- The 19115-3 class name of a table ("cit:CI_Citation"). -->
  <xsl:template name="class3">
    <xsl:param name="t"/>
    <xsl:choose>
      <xsl:when test="$t/@iso3"><xsl:value-of select="concat($t/@ns3, ':', $t/@iso3)"/></xsl:when>
      <xsl:when test="$t/@iso"><xsl:value-of select="concat($t/@ns3, ':', $t/@iso)"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="concat($t/@ns3, ':', $t/@name)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The 19115-3 property of a row. -->
  <xsl:template name="to3">
    <xsl:param name="row"/>
    <xsl:choose>
      <xsl:when test="$row/@to3"><xsl:value-of select="$row/@to3"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="concat($row/../@ns3, ':', $row/@iso)"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The 19115-3 properties of a table in order ("!" after a required one):
       its order3, or for the extension's own classes its rows. -->
  <xsl:template name="order3">
    <xsl:param name="t"/>
    <xsl:choose>
      <xsl:when test="$t/@order3"><xsl:value-of select="normalize-space($t/@order3)"/></xsl:when>
      <xsl:otherwise>
        <xsl:for-each select="$t/map:p">
          <xsl:if test="position() &gt; 1"><xsl:text> </xsl:text></xsl:if>
          <xsl:value-of select="concat($t/@ns3, ':', @iso)"/>
        </xsl:for-each>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ===================================================================
       Export: the ISO 19139 record the export made, as ISO 19115-3
       =================================================================== -->

  <xsl:template name="iso19115-3-record">
    <xsl:param name="record"/>
    <xsl:variable name="body"><xsl:apply-templates select="$record" mode="to3"/></xsl:variable>
    <xsl:apply-templates select="exsl:node-set($body)/*" mode="finish3"/>
  </xsl:template>

  <xsl:template match="*" mode="to3">
    <xsl:variable name="mi" select="self::gmi:MI_Metadata"/>
    <xsl:call-template name="up-class">
      <xsl:with-param name="e" select="."/>
      <xsl:with-param name="table" select="substring('MI_Metadata', 1, 11 * boolean($mi))"/>
      <xsl:with-param name="default" select="'MD_Metadata'"/>
      <!-- ISO 19115-2's record without acquisition keeps its class. -->
      <xsl:with-param name="name" select="concat(substring('mac:MI_Metadata', 1, 15 * ($mi and not(gmi:acquisitionInformation))),
                                                 substring('mdb:MD_Metadata', 1, 15 * not($mi and not(gmi:acquisitionInformation))))"/>
      <xsl:with-param name="root" select="true()"/>
    </xsl:call-template>
  </xsl:template>

  <!-- The class element $e of table $table (or $default when $table is
       empty) as the 19115-3 class $name (by default the table's): each
       property of order3 in turn, its verbatim texts, and what has no place
       (tw3:misfit, which the last step sends to tw3:carried). -->
  <xsl:template name="up-class">
    <xsl:param name="e"/>
    <xsl:param name="table"/>
    <xsl:param name="default" select="''"/>
    <xsl:param name="name" select="''"/>
    <xsl:param name="root" select="false()"/>
    <xsl:variable name="tname" select="concat($table, substring($default, 1, string-length($default) * not(string($table))))"/>
    <xsl:variable name="t" select="$tables3[@name = $tname]"/>
    <xsl:choose>
      <xsl:when test="$t/@iso3 = 'CI_Responsibility'">
        <xsl:call-template name="up-responsibility">
          <xsl:with-param name="e" select="$e"/>
          <xsl:with-param name="t" select="$t"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="qname">
          <xsl:choose>
            <xsl:when test="string($name)"><xsl:value-of select="$name"/></xsl:when>
            <xsl:otherwise>
              <xsl:variable name="plain"><xsl:call-template name="class3"><xsl:with-param name="t" select="$t"/></xsl:call-template></xsl:variable>
              <xsl:choose>
                <xsl:when test="$e/self::tw:*"><xsl:value-of select="concat('tw3:', substring-after($plain, ':'))"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="$plain"/></xsl:otherwise>
              </xsl:choose>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:variable name="order"><xsl:call-template name="order3"><xsl:with-param name="t" select="$t"/></xsl:call-template></xsl:variable>
        <xsl:variable name="fates">
          <xsl:for-each select="$e/*">
            <xsl:call-template name="fate">
              <xsl:with-param name="t" select="$t"/>
              <xsl:with-param name="n" select="position()"/>
              <xsl:with-param name="order" select="concat(' ', translate($order, '!', ''), ' ')"/>
            </xsl:call-template>
          </xsl:for-each>
        </xsl:variable>
        <xsl:variable name="uri"><xsl:call-template name="uri3"><xsl:with-param name="qname" select="$qname"/></xsl:call-template></xsl:variable>
        <xsl:element name="{$qname}" namespace="{$uri}">
          <xsl:if test="$root">
            <xsl:copy-of select="$namespaces3/namespace::*[name() != 'xml' and name() != 'xsl' and name() != 'map']"/>
          </xsl:if>
          <xsl:copy-of select="$e/@id | $e/@uuid"/>
          <xsl:call-template name="up-tokens">
            <xsl:with-param name="e" select="$e"/>
            <xsl:with-param name="t" select="$t"/>
            <xsl:with-param name="fates" select="exsl:node-set($fates)/f"/>
            <xsl:with-param name="rest" select="$order"/>
          </xsl:call-template>
          <xsl:for-each select="$e/tw:verbatim">
            <tw3:verbatim property="{@property}">
              <xsl:for-each select="*"><xsl:call-template name="up-value"/></xsl:for-each>
            </tw3:verbatim>
          </xsl:for-each>
          <xsl:call-template name="up-misfits">
            <xsl:with-param name="e" select="$e"/>
            <xsl:with-param name="nodes" select="$e/*[position() = exsl:node-set($fates)/f[@kind = 'x']/@n]"/>
          </xsl:call-template>
        </xsl:element>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Where a child (the context node, the n-th of its class element) of
       table $t goes, as <f n kind token row move/>: kind t a property at
       19115-3 property "token" (row: the table and ISO 19139 name of its
       row), m a property that the move "move" writes there, f an element of
       ISO 19115-3 already, s a shadow, x no place (misfit), - nothing. -->
  <xsl:template name="fate">
    <xsl:param name="t"/>
    <xsl:param name="n"/>
    <xsl:param name="order"/>
    <xsl:variable name="c" select="."/>
    <xsl:variable name="prefix"><xsl:call-template name="prefix19139"/></xsl:variable>
    <xsl:variable name="q3"><xsl:call-template name="qname3"/></xsl:variable>
    <xsl:variable name="base" select="$tables3[@name = $t/@base]"/>
    <xsl:variable name="row"
        select="($t/map:p[@iso = local-name($c)][(@ns | ../@ns)[last()] = $prefix]
                 | $base/map:p[@iso = local-name($c)][(@ns | ../@ns)[last()] = $prefix]
                 | $t/map:p[@also = $prefix][@iso = local-name($c)])[1]"/>
    <xsl:variable name="to"><xsl:if test="$row"><xsl:call-template name="to3"><xsl:with-param name="row" select="$row"/></xsl:call-template></xsl:if></xsl:variable>
    <f n="{$n}">
      <xsl:choose>
        <xsl:when test="self::tw:verbatim or self::tw:carried"><xsl:attribute name="kind">-</xsl:attribute></xsl:when>
        <xsl:when test="string($prefix)">
          <xsl:variable name="x" select="*[1]"/>
          <xsl:variable name="fits">
            <xsl:choose>
              <xsl:when test="not($row) or $row/@to3 = ''"/>
              <!-- Text where ISO wants an element, as some records have it. -->
              <xsl:when test="not(*) and normalize-space(.) != '' and not($row/@type = 'inline')"/>
              <xsl:when test="$row/@max3 = '1' and preceding-sibling::*[local-name() = local-name($c)][namespace-uri() = namespace-uri($c)]"/>
              <xsl:when test="$row/@form3 = 'datetime' and gco:Date"/>
              <xsl:when test="*[2] and ($row/@class or $row/@choice)"/>
              <xsl:when test="$row/@class and $x">
                <xsl:variable name="ct" select="$tables3[@name = $row/@class]"/>
                <xsl:if test="(local-name($x) = $ct/@iso or not($ct/@iso) and local-name($x) = $ct/@name)
                              and ($x/self::gmd:* or $x/self::srv:* or $x/self::gmi:* or $x/self::tw:*)
                              and not($row/@class = 'MD_ScopeDescription' and not($x/gmd:dataset or $x/gmd:other))">1</xsl:if>
              </xsl:when>
              <xsl:when test="$row/@choice and $x">
                <xsl:if test="$choices3[@name = $row/@choice]/map:c[@iso = local-name($x)]
                              and ($x/self::gmd:* or $x/self::srv:* or $x/self::gmi:* or $x/self::tw:*)">1</xsl:if>
              </xsl:when>
              <xsl:otherwise>1</xsl:otherwise>
            </xsl:choose>
          </xsl:variable>
          <xsl:choose>
            <!-- What the export writes where ISO 19139 requires a value. -->
            <xsl:when test="not(*) and @gco:nilReason = 'missing' and not(@*[local-name() != 'nilReason'])">
              <xsl:attribute name="kind">-</xsl:attribute>
            </xsl:when>
            <xsl:when test="$t/@name = 'MD_Metadata' and self::gmd:metadataExtensionInfo
                            and */gmd:extensionOnLineResource/*/gmd:linkage/gmd:URL = $tw19139-ns">
              <xsl:attribute name="kind">-</xsl:attribute>
            </xsl:when>
            <xsl:when test="not(string($fits))"><xsl:attribute name="kind">x</xsl:attribute></xsl:when>
            <xsl:when test="$row/@move3 = 'dataset-uri'">
              <!-- The resource's address stands in its citation. -->
              <xsl:attribute name="kind">
                <xsl:choose>
                  <xsl:when test="../gmd:identificationInfo[1]/*/gmd:citation/gmd:CI_Citation and gco:CharacterString and count(*) = 1">-</xsl:when>
                  <xsl:otherwise>x</xsl:otherwise>
                </xsl:choose>
              </xsl:attribute>
            </xsl:when>
            <xsl:when test="$row/@move3 = 'quality' and $t/@name = 'DQ_DataQuality'">
              <xsl:attribute name="kind">-</xsl:attribute>
            </xsl:when>
            <xsl:when test="$row/@move3">
              <xsl:attribute name="kind">m</xsl:attribute>
              <xsl:attribute name="move"><xsl:value-of select="$row/@move3"/></xsl:attribute>
              <xsl:attribute name="token"><xsl:value-of select="$to"/></xsl:attribute>
            </xsl:when>
            <xsl:otherwise>
              <xsl:attribute name="kind">t</xsl:attribute>
              <xsl:attribute name="token"><xsl:value-of select="$to"/></xsl:attribute>
            </xsl:otherwise>
          </xsl:choose>
          <xsl:attribute name="table"><xsl:value-of select="$row/../@name"/></xsl:attribute>
          <xsl:attribute name="iso"><xsl:value-of select="$row/@iso"/></xsl:attribute>
        </xsl:when>
        <xsl:when test="string($q3) and @tw3:shadow"><xsl:attribute name="kind">s</xsl:attribute></xsl:when>
        <xsl:when test="$q3 = 'mdq:referenceDoc' and $t/@name = 'DQ_Element'">
          <xsl:attribute name="kind">m</xsl:attribute>
          <xsl:attribute name="move">evaluation</xsl:attribute>
          <xsl:attribute name="token">mdq:evaluationMethod</xsl:attribute>
        </xsl:when>
        <xsl:when test="string($q3) and contains($order, concat(' ', $q3, ' '))">
          <xsl:attribute name="kind">f</xsl:attribute>
          <xsl:attribute name="token"><xsl:value-of select="$q3"/></xsl:attribute>
        </xsl:when>
        <xsl:otherwise><xsl:attribute name="kind">x</xsl:attribute></xsl:otherwise>
      </xsl:choose>
    </f>
  </xsl:template>

  <xsl:template name="up-tokens">
    <xsl:param name="e"/>
    <xsl:param name="t"/>
    <xsl:param name="fates"/>
    <xsl:param name="rest"/>
    <xsl:if test="string($rest)">
      <xsl:variable name="word" select="substring-before(concat($rest, ' '), ' ')"/>
      <xsl:variable name="token" select="translate($word, '!', '')"/>
      <xsl:choose>
        <xsl:when test="contains($word, '!')">
          <xsl:variable name="made">
            <xsl:call-template name="up-token">
              <xsl:with-param name="e" select="$e"/>
              <xsl:with-param name="t" select="$t"/>
              <xsl:with-param name="fates" select="$fates"/>
              <xsl:with-param name="token" select="$token"/>
            </xsl:call-template>
          </xsl:variable>
          <xsl:copy-of select="$made"/>
          <!-- "!!": ISO requires two (a grid's corner points). -->
          <xsl:variable name="count" select="count(exsl:node-set($made)/*[not(self::tw3:misfit)])"/>
          <xsl:if test="$count = 0 or ($count = 1 and contains($word, '!!'))">
            <xsl:call-template name="nil3"><xsl:with-param name="qname" select="$token"/></xsl:call-template>
          </xsl:if>
          <xsl:if test="$count = 0 and contains($word, '!!')">
            <xsl:call-template name="nil3"><xsl:with-param name="qname" select="$token"/></xsl:call-template>
          </xsl:if>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="up-token">
            <xsl:with-param name="e" select="$e"/>
            <xsl:with-param name="t" select="$t"/>
            <xsl:with-param name="fates" select="$fates"/>
            <xsl:with-param name="token" select="$token"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="up-tokens">
        <xsl:with-param name="e" select="$e"/>
        <xsl:with-param name="t" select="$t"/>
        <xsl:with-param name="fates" select="$fates"/>
        <xsl:with-param name="rest" select="substring-after($rest, ' ')"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- A 19115-3 property with gco:nilReason="missing", where it is required
       and the item has no value. -->
  <xsl:template name="nil3">
    <xsl:param name="qname"/>
    <xsl:param name="reason" select="'missing'"/>
    <xsl:variable name="uri"><xsl:call-template name="uri3"><xsl:with-param name="qname" select="$qname"/></xsl:call-template></xsl:variable>
    <xsl:element name="{$qname}" namespace="{$uri}">
      <xsl:attribute name="gco:nilReason" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0"><xsl:value-of select="$reason"/></xsl:attribute>
    </xsl:element>
  </xsl:template>

  <!-- Everything that stands at the 19115-3 property $token of $e. -->
  <xsl:template name="up-token">
    <xsl:param name="e"/>
    <xsl:param name="t"/>
    <xsl:param name="fates"/>
    <xsl:param name="token"/>
    <!-- What other properties of the record put here. -->
    <xsl:choose>
      <xsl:when test="$token = 'mdb:resourceLineage'">
        <xsl:for-each select="$e/gmd:dataQualityInfo/*/gmd:lineage">
          <mdb:resourceLineage xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0">
            <xsl:call-template name="up-attributes"/>
            <xsl:for-each select="gmd:LI_Lineage | tw:LI_Lineage">
              <xsl:call-template name="up-class">
                <xsl:with-param name="e" select="."/>
                <xsl:with-param name="table" select="'LI_Lineage'"/>
              </xsl:call-template>
            </xsl:for-each>
          </mdb:resourceLineage>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$token = 'mrl:scope' and $t/@name = 'LI_Lineage'">
        <!-- A lineage's scope is that of the quality it stood in. -->
        <xsl:for-each select="$e/../../gmd:scope[*]">
          <xsl:variable name="scope">
            <xsl:call-template name="up-property">
              <xsl:with-param name="c" select="."/>
              <xsl:with-param name="row" select="$tables3[@name = 'DQ_DataQuality']/map:p[@iso = 'scope']"/>
              <xsl:with-param name="token" select="'mrl:scope'"/>
            </xsl:call-template>
          </xsl:variable>
          <!-- The quality, when it is written too, has the ids. -->
          <xsl:apply-templates select="exsl:node-set($scope)/*" mode="other-ids">
            <xsl:with-param name="suffix" select="substring('-lineage', 1, 8 * boolean(../gmd:report))"/>
          </xsl:apply-templates>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$token = 'cit:onlineResource' and $t/@name = 'CI_Citation'">
        <xsl:variable name="record" select="$e/ancestor::*[last()]"/>
        <xsl:if test="generate-id($e) = generate-id($record/gmd:identificationInfo[1]/*/gmd:citation/gmd:CI_Citation)">
          <xsl:for-each select="$record/gmd:dataSetURI[gco:CharacterString and count(*) = 1]">
            <cit:onlineResource xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
              <cit:CI_OnlineResource>
                <cit:linkage><xsl:call-template name="up-attributes"/><xsl:for-each select="*"><xsl:call-template name="up-value"/></xsl:for-each></cit:linkage>
              </cit:CI_OnlineResource>
            </cit:onlineResource>
          </xsl:for-each>
        </xsl:if>
      </xsl:when>
    </xsl:choose>
    <xsl:for-each select="$fates[@token = $token]">
      <xsl:variable name="f" select="."/>
      <xsl:variable name="c" select="$e/*[position() = $f/@n]"/>
      <xsl:choose>
        <xsl:when test="@kind = 't'">
          <xsl:call-template name="up-property">
            <xsl:with-param name="c" select="$c"/>
            <xsl:with-param name="row" select="$tables3[@name = $f/@table]/map:p[@iso = $f/@iso]"/>
            <xsl:with-param name="token" select="$token"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:when test="@kind = 'f'"><xsl:for-each select="$c"><xsl:call-template name="clean-copy"/></xsl:for-each></xsl:when>
        <xsl:when test="@kind = 'm' and not(preceding-sibling::f[@move = $f/@move])">
          <xsl:call-template name="up-move">
            <xsl:with-param name="move" select="@move"/>
            <xsl:with-param name="e" select="$e"/>
            <xsl:with-param name="t" select="$t"/>
            <xsl:with-param name="nodes" select="$e/*[position() = $fates[@move = $f/@move]/@n]"/>
            <xsl:with-param name="token" select="$token"/>
          </xsl:call-template>
        </xsl:when>
      </xsl:choose>
    </xsl:for-each>
  </xsl:template>

  <!-- The misfits of a class element: its children that ISO 19115-3 has no
       place for, each with the ISO 19139 property it followed. -->
  <xsl:template name="up-misfits">
    <xsl:param name="e"/>
    <xsl:param name="nodes"/>
    <xsl:for-each select="$nodes">
      <!-- The property it follows that stays in place. -->
      <xsl:variable name="before"
          select="preceding-sibling::*[self::gmd:* or self::srv:* or self::gmi:* or self::gco:*]
                                      [count(. | $nodes) != count($nodes)][1]"/>
      <tw3:misfit>
        <xsl:attribute name="after">
          <xsl:if test="$before">
            <xsl:call-template name="prefix19139"><xsl:with-param name="n" select="$before"/></xsl:call-template>
            <xsl:value-of select="concat(':', local-name($before))"/>
          </xsl:if>
        </xsl:attribute>
        <xsl:call-template name="clean-copy"/>
      </tw3:misfit>
    </xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Properties and values
       =================================================================== -->

  <!-- The 19139 property $c of row $row as the 19115-3 property $token. -->
  <xsl:template name="up-property">
    <xsl:param name="c"/>
    <xsl:param name="row"/>
    <xsl:param name="token"/>
    <xsl:variable name="uri"><xsl:call-template name="uri3"><xsl:with-param name="qname" select="$token"/></xsl:call-template></xsl:variable>
    <xsl:element name="{$token}" namespace="{$uri}">
      <xsl:for-each select="$c">
        <xsl:choose>
          <xsl:when test="$row/@type = 'inline'"><xsl:call-template name="up-value"/></xsl:when>
          <xsl:otherwise>
            <xsl:call-template name="up-attributes"/>
            <xsl:call-template name="up-wrapped">
              <xsl:with-param name="row" select="$row"/>
              <xsl:with-param name="steps" select="$row/@wrap3"/>
            </xsl:call-template>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
    </xsl:element>
  </xsl:template>

  <!-- The content of the property (context node) inside the elements that
       wrap it in 19115-3 ($steps, "a/b"). -->
  <xsl:template name="up-wrapped">
    <xsl:param name="row"/>
    <xsl:param name="steps"/>
    <xsl:choose>
      <xsl:when test="string($steps)">
        <xsl:variable name="step" select="substring-before(concat($steps, '/'), '/')"/>
        <xsl:variable name="uri"><xsl:call-template name="uri3"><xsl:with-param name="qname" select="$step"/></xsl:call-template></xsl:variable>
        <xsl:element name="{$step}" namespace="{$uri}">
          <xsl:call-template name="up-wrapped">
            <xsl:with-param name="row" select="$row"/>
            <xsl:with-param name="steps" select="substring-after($steps, '/')"/>
          </xsl:call-template>
        </xsl:element>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="up-content"><xsl:with-param name="row" select="$row"/></xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The content of a 19139 property (the context node): its class element
       through that class's table, or its value. -->
  <xsl:template name="up-content">
    <xsl:param name="row"/>
    <xsl:variable name="x" select="*[1]"/>
    <xsl:choose>
      <xsl:when test="not($x)"/>
      <xsl:when test="$row/@class">
        <xsl:call-template name="up-class">
          <xsl:with-param name="e" select="$x"/>
          <xsl:with-param name="table" select="$row/@class"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$row/@choice">
        <xsl:variable name="o" select="$choices3[@name = $row/@choice]/map:c[@iso = local-name($x)][1]"/>
        <xsl:call-template name="up-class">
          <xsl:with-param name="e" select="$x"/>
          <xsl:with-param name="table" select="($o/@table | $o/@iso)[last()]"/>
          <xsl:with-param name="name">
            <xsl:if test="$o/@table">
              <xsl:value-of select="concat(substring('mdq:', 1, 4 * not($x/self::tw:*)), substring('tw3:', 1, 4 * boolean($x/self::tw:*)),
                                           ($o/@iso3 | $o/@iso)[last()])"/>
            </xsl:if>
          </xsl:with-param>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$row/@form3 = 'instant'">
        <xsl:for-each select="$x">
          <gml:TimeInstant>
            <xsl:attribute name="gml:id"><xsl:call-template name="place-id3"><xsl:with-param name="n" select=".."/></xsl:call-template></xsl:attribute>
            <gml:timePosition><xsl:value-of select="."/></gml:timePosition>
          </gml:TimeInstant>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <xsl:for-each select="*"><xsl:call-template name="up-value"/></xsl:for-each>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The attributes of a property (the context node). -->
  <xsl:template name="up-attributes">
    <xsl:copy-of select="@xlink:* | @uuidref"/>
    <xsl:if test="@gco:nilReason">
      <xsl:attribute name="gco:nilReason" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0"><xsl:value-of select="@gco:nilReason"/></xsl:attribute>
    </xsl:if>
    <xsl:if test="@xsi:type = 'gmd:PT_FreeText_PropertyType'">
      <xsl:attribute name="xsi:type">lan:PT_FreeText_PropertyType</xsl:attribute>
    </xsl:if>
  </xsl:template>

  <!-- A value element of ISO 19139 (the context node) as ISO 19115-3's. -->
  <xsl:template name="up-value">
    <xsl:choose>
      <xsl:when test="self::gco:CharacterString or self::gmd:URL">
        <xsl:element name="gco:CharacterString" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0"><xsl:value-of select="."/></xsl:element>
      </xsl:when>
      <xsl:when test="self::gmx:Anchor or self::gmx:FileName or self::gmx:MimeFileType">
        <xsl:element name="gcx:{local-name()}" namespace="http://standards.iso.org/iso/19115/-3/gcx/1.0">
          <xsl:copy-of select="@*"/>
          <xsl:value-of select="."/>
        </xsl:element>
      </xsl:when>
      <xsl:when test="self::gmd:PT_FreeText">
        <lan:PT_FreeText xmlns:lan="http://standards.iso.org/iso/19115/-3/lan/1.0">
          <xsl:copy-of select="@id | @uuid"/>
          <xsl:for-each select="gmd:textGroup">
            <lan:textGroup>
              <xsl:for-each select="gmd:LocalisedCharacterString">
                <lan:LocalisedCharacterString><xsl:copy-of select="@*"/><xsl:value-of select="."/></lan:LocalisedCharacterString>
              </xsl:for-each>
            </lan:textGroup>
          </xsl:for-each>
        </lan:PT_FreeText>
      </xsl:when>
      <xsl:when test="self::gmd:LanguageCode or self::gmd:Country">
        <xsl:element name="lan:{concat(substring('LanguageCode', 1, 12 * boolean(self::gmd:LanguageCode)), substring('CountryCode', 1, 11 * boolean(self::gmd:Country)))}"
            namespace="http://standards.iso.org/iso/19115/-3/lan/1.0">
          <xsl:copy-of select="@*"/>
          <xsl:value-of select="."/>
        </xsl:element>
      </xsl:when>
      <xsl:when test="self::gco:LocalName">
        <!-- ISO 19115-3 has one kind of name. -->
        <xsl:element name="gco:ScopedName" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0">
          <xsl:copy-of select="@*"/>
          <xsl:value-of select="."/>
        </xsl:element>
      </xsl:when>
      <xsl:when test="self::gco:* or self::gts:TM_PeriodDuration">
        <xsl:element name="gco:{local-name()}" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0">
          <xsl:copy-of select="@*"/>
          <xsl:for-each select="node()">
            <xsl:choose>
              <xsl:when test="self::*"><xsl:call-template name="up-gco"/></xsl:when>
              <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
            </xsl:choose>
          </xsl:for-each>
        </xsl:element>
      </xsl:when>
      <xsl:when test="(self::gmd:* or self::srv:*) and $codes3[@list = local-name(current())]">
        <xsl:variable name="ns3" select="$codes3[@list = local-name(current())]/@ns3"/>
        <xsl:element name="{$ns3}:{local-name()}" namespace="{$ns3s[@prefix = $ns3]/@uri}">
          <xsl:if test="@codeList">
            <xsl:attribute name="codeList">
              <xsl:choose>
                <xsl:when test="starts-with(@codeList, $iso19139-codelists)"><xsl:value-of select="concat($iso3-codelists, local-name())"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="@codeList"/></xsl:otherwise>
              </xsl:choose>
            </xsl:attribute>
          </xsl:if>
          <xsl:copy-of select="@codeSpace"/>
          <!-- A value ISO 19115-1 spells its own way. -->
          <xsl:variable name="spelt" select="$codes3[@list = local-name(current())]/map:v[@iso = normalize-space(current())]/@iso3"/>
          <xsl:if test="@codeListValue">
            <xsl:attribute name="codeListValue">
              <xsl:value-of select="concat($spelt, substring(@codeListValue, 1, string-length(@codeListValue) * not($spelt)))"/>
            </xsl:attribute>
          </xsl:if>
          <xsl:value-of select="concat($spelt, substring(., 1, string-length(.) * not($spelt)))"/>
        </xsl:element>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="clean-copy"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template match="*" mode="other-ids">
    <xsl:param name="suffix"/>
    <xsl:copy>
      <xsl:for-each select="@*">
        <xsl:choose>
          <xsl:when test="local-name() = 'id'"><xsl:attribute name="{name()}" namespace="{namespace-uri()}"><xsl:value-of select="concat(., $suffix)"/></xsl:attribute></xsl:when>
          <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
      <xsl:apply-templates select="node()" mode="other-ids"><xsl:with-param name="suffix" select="$suffix"/></xsl:apply-templates>
    </xsl:copy>
  </xsl:template>
  <xsl:template match="text()" mode="other-ids"><xsl:copy-of select="."/></xsl:template>

  <!-- A copy without the namespace declarations that the element had in
       scope and does not use. -->
  <xsl:template name="clean-copy">
    <xsl:element name="{name()}" namespace="{namespace-uri()}">
      <xsl:copy-of select="@*"/>
      <xsl:for-each select="node()">
        <xsl:choose>
          <xsl:when test="self::*"><xsl:call-template name="clean-copy"/></xsl:when>
          <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
    </xsl:element>
  </xsl:template>

  <!-- Inside a gco value (a member name's parts). -->
  <xsl:template name="up-gco">
    <xsl:element name="gco:{local-name()}" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0">
      <xsl:copy-of select="@*"/>
      <xsl:for-each select="node()">
        <xsl:choose>
          <xsl:when test="self::*"><xsl:call-template name="up-gco"/></xsl:when>
          <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
    </xsl:element>
  </xsl:template>

  <!-- An id made from the place of $n in the record the export made. -->
  <xsl:template name="place-id3">
    <xsl:param name="n"/>
    <xsl:text>tw</xsl:text>
    <xsl:for-each select="$n/ancestor-or-self::*">
      <xsl:value-of select="concat('-', local-name(), count(preceding-sibling::*[local-name() = local-name(current())]) + 1)"/>
    </xsl:for-each>
  </xsl:template>

  <!-- ===================================================================
       Moves, export side: where ISO 19115-3 holds a value in another shape
       =================================================================== -->

  <!-- $new's property elements in place of $old's (a shadow's class
       element) for each 19115-3 property of $rest that $new names; a
       tw3:none names one the item no longer has. -->
  <xsl:template name="overlay">
    <xsl:param name="old"/>
    <xsl:param name="new"/>
    <xsl:param name="rest"/>
    <xsl:if test="string($rest)">
      <xsl:variable name="token" select="translate(substring-before(concat($rest, ' '), ' '), '!', '')"/>
      <xsl:variable name="local" select="substring-after($token, ':')"/>
      <xsl:variable name="uri" select="$ns3s[@prefix = substring-before($token, ':')]/@uri"/>
      <xsl:variable name="mine" select="$new[local-name() = $local][namespace-uri() = $uri]"/>
      <xsl:choose>
        <xsl:when test="$mine"><xsl:copy-of select="$mine"/></xsl:when>
        <xsl:when test="$new[self::tw3:none][@token = $token]"/>
        <xsl:otherwise>
          <xsl:for-each select="$old/*[local-name() = $local][namespace-uri() = $uri]"><xsl:call-template name="clean-copy"/></xsl:for-each>
        </xsl:otherwise>
      </xsl:choose>
      <xsl:call-template name="overlay">
        <xsl:with-param name="old" select="$old"/>
        <xsl:with-param name="new" select="$new"/>
        <xsl:with-param name="rest" select="substring-after($rest, ' ')"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- The property $prop holding the class $class, made of the new
       properties $new over the record's own element $shadow (a property
       kept beside the item's value), whose attributes it keeps. -->
  <xsl:template name="shadowed">
    <xsl:param name="prop"/>
    <xsl:param name="class"/>
    <xsl:param name="new"/>
    <xsl:param name="shadow"/>
    <xsl:param name="order"/>
    <xsl:variable name="prop-uri"><xsl:call-template name="uri3"><xsl:with-param name="qname" select="$prop"/></xsl:call-template></xsl:variable>
    <xsl:variable name="class-uri"><xsl:call-template name="uri3"><xsl:with-param name="qname" select="$class"/></xsl:call-template></xsl:variable>
    <xsl:element name="{$prop}" namespace="{$prop-uri}">
      <xsl:copy-of select="$shadow/@*[not(namespace-uri() = $tw3-ns)]"/>
      <xsl:element name="{$class}" namespace="{$class-uri}">
        <xsl:copy-of select="$shadow/*[1]/@*"/>
        <xsl:call-template name="overlay">
          <xsl:with-param name="old" select="$shadow/*[1]"/>
          <xsl:with-param name="new" select="exsl:node-set($new)/*"/>
          <xsl:with-param name="rest" select="$order"/>
        </xsl:call-template>
      </xsl:element>
    </xsl:element>
  </xsl:template>

  <!-- The 19139 property $c as the 19115-3 property $token of a table's row
       ($table, $iso): what goes into a move's new class. -->
  <xsl:template name="up-as">
    <xsl:param name="c"/>
    <xsl:param name="table"/>
    <xsl:param name="token"/>
    <xsl:param name="nil" select="false()"/>
    <xsl:param name="none" select="false()"/>
    <xsl:choose>
      <xsl:when test="$c">
        <xsl:call-template name="up-property">
          <xsl:with-param name="c" select="$c[1]"/>
          <xsl:with-param name="row" select="$tables3[@name = $table]/map:p[@iso = local-name($c[1])]"/>
          <xsl:with-param name="token" select="$token"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$nil"><xsl:call-template name="nil3"><xsl:with-param name="qname" select="$token"/></xsl:call-template></xsl:when>
      <xsl:when test="$none"><tw3:none token="{$token}"/></xsl:when>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="code3">
    <xsl:param name="list"/>
    <xsl:param name="value"/>
    <xsl:variable name="ns3" select="$codes3[@list = $list]/@ns3"/>
    <xsl:element name="{concat(substring($ns3, 1, 3 * boolean(string($ns3))), substring('cit', 1, 3 * not(string($ns3))))}:{$list}"
        namespace="{$ns3s[@prefix = concat(substring($ns3, 1, 3 * boolean(string($ns3))), substring('cit', 1, 3 * not(string($ns3))))]/@uri}">
      <xsl:attribute name="codeList"><xsl:value-of select="concat($iso3-codelists, $list)"/></xsl:attribute>
      <xsl:attribute name="codeListValue"><xsl:value-of select="$value"/></xsl:attribute>
      <xsl:value-of select="$value"/>
    </xsl:element>
  </xsl:template>

  <xsl:template name="up-move">
    <xsl:param name="move"/>
    <xsl:param name="e"/>
    <xsl:param name="t"/>
    <xsl:param name="nodes"/>
    <xsl:param name="token"/>
    <xsl:variable name="gco3" select="'http://standards.iso.org/iso/19115/-3/gco/1.0'"/>
    <xsl:choose>
      <!-- The file identifier: the code of the metadata identifier. -->
      <xsl:when test="$move = 'identifier'">
        <xsl:variable name="new">
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes"/>
            <xsl:with-param name="table" select="'MD_Metadata'"/>
            <xsl:with-param name="token" select="'mcc:code'"/>
            <xsl:with-param name="none" select="true()"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:call-template name="shadowed">
          <xsl:with-param name="prop" select="$token"/>
          <xsl:with-param name="class" select="'mcc:MD_Identifier'"/>
          <xsl:with-param name="new" select="$new"/>
          <xsl:with-param name="shadow" select="$e/*[@tw3:shadow = 'gmd:fileIdentifier'][1]"/>
          <xsl:with-param name="order" select="$tables3[@name = 'MD_Identifier']/@order3"/>
        </xsl:call-template>
      </xsl:when>
      <!-- Language and character set: a locale, the first the default. -->
      <xsl:when test="$move = 'locale'">
        <xsl:variable name="langs" select="$nodes[self::gmd:language]"/>
        <xsl:variable name="chars" select="$nodes[self::gmd:characterSet]"/>
        <xsl:variable name="prefix" select="substring-before($token, ':')"/>
        <xsl:for-each select="$langs[count($langs) &gt;= count($chars)] | $chars[count($chars) &gt; count($langs)]">
          <xsl:variable name="i" select="position()"/>
          <xsl:variable name="new">
            <xsl:call-template name="up-language"><xsl:with-param name="c" select="$langs[$i]"/></xsl:call-template>
            <xsl:choose>
              <xsl:when test="$prefix = 'mrc'">
                <xsl:call-template name="nil3"><xsl:with-param name="qname" select="'lan:characterEncoding'"/></xsl:call-template>
              </xsl:when>
              <xsl:otherwise>
                <xsl:call-template name="up-as">
                  <xsl:with-param name="c" select="$chars[$i]"/>
                  <xsl:with-param name="table" select="$t/@name"/>
                  <xsl:with-param name="token" select="'lan:characterEncoding'"/>
                  <xsl:with-param name="nil" select="true()"/>
                </xsl:call-template>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:variable>
          <xsl:call-template name="shadowed">
            <xsl:with-param name="prop">
              <xsl:choose>
                <xsl:when test="$prefix = 'mrc'">mrc:locale</xsl:when>
                <xsl:when test="$i = 1"><xsl:value-of select="$token"/></xsl:when>
                <xsl:otherwise><xsl:value-of select="concat($prefix, ':otherLocale')"/></xsl:otherwise>
              </xsl:choose>
            </xsl:with-param>
            <xsl:with-param name="class" select="'lan:PT_Locale'"/>
            <xsl:with-param name="new" select="$new"/>
            <xsl:with-param name="shadow" select="$e/*[@tw3:shadow = 'gmd:language'][$i = 1][1]"/>
            <xsl:with-param name="order" select="$tables3[@name = 'PT_Locale']/@order3"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:when>
      <!-- The parent identifier: the parent metadata by reference. -->
      <xsl:when test="$move = 'uuidref'">
        <xsl:for-each select="$nodes[1]">
          <xsl:variable name="text" select="gco:CharacterString | gmx:Anchor"/>
          <xsl:choose>
            <xsl:when test="*[not(self::gco:CharacterString or self::gmx:Anchor)] or count(*) &gt; 1">
              <xsl:call-template name="up-misfits"><xsl:with-param name="e" select="$e"/><xsl:with-param name="nodes" select="."/></xsl:call-template>
            </xsl:when>
            <xsl:otherwise>
              <mdb:parentMetadata xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0">
                <xsl:if test="$text"><xsl:attribute name="uuidref"><xsl:value-of select="$text"/></xsl:attribute></xsl:if>
                <xsl:copy-of select="$text/@xlink:href | $text/@xlink:title"/>
                <xsl:if test="not($text) and @gco:nilReason">
                  <xsl:attribute name="gco:nilReason" namespace="{$gco3}"><xsl:value-of select="@gco:nilReason"/></xsl:attribute>
                </xsl:if>
              </mdb:parentMetadata>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
      </xsl:when>
      <!-- Hierarchy levels and their names: the metadata scopes, paired in order. -->
      <xsl:when test="$move = 'scope'">
        <xsl:variable name="levels" select="$nodes[self::gmd:hierarchyLevel]"/>
        <xsl:variable name="names" select="$nodes[self::gmd:hierarchyLevelName]"/>
        <xsl:for-each select="$levels[count($levels) &gt;= count($names)] | $names[count($names) &gt; count($levels)]">
          <xsl:variable name="i" select="position()"/>
          <mdb:metadataScope xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0">
            <mdb:MD_MetadataScope>
              <xsl:call-template name="up-as">
                <xsl:with-param name="c" select="$levels[$i]"/>
                <xsl:with-param name="table" select="'MD_Metadata'"/>
                <xsl:with-param name="token" select="'mdb:resourceScope'"/>
                <xsl:with-param name="nil" select="true()"/>
              </xsl:call-template>
              <xsl:if test="$names[$i]">
                <xsl:call-template name="up-as">
                  <xsl:with-param name="c" select="$names[$i]"/>
                  <xsl:with-param name="table" select="'MD_Metadata'"/>
                  <xsl:with-param name="token" select="'mdb:name'"/>
                </xsl:call-template>
              </xsl:if>
            </mdb:MD_MetadataScope>
          </mdb:metadataScope>
        </xsl:for-each>
      </xsl:when>
      <!-- The date stamp: a dated creation, or the type the record gave it. -->
      <xsl:when test="$move = 'date-stamp'">
        <xsl:variable name="new">
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes"/>
            <xsl:with-param name="table" select="'MD_Metadata'"/>
            <xsl:with-param name="token" select="'cit:date'"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="shadow" select="$e/*[@tw3:shadow = 'gmd:dateStamp'][1]"/>
        <xsl:choose>
          <xsl:when test="$shadow">
            <xsl:call-template name="shadowed">
              <xsl:with-param name="prop" select="$token"/>
              <xsl:with-param name="class" select="'cit:CI_Date'"/>
              <xsl:with-param name="new" select="$new"/>
              <xsl:with-param name="shadow" select="$shadow"/>
              <xsl:with-param name="order" select="$tables3[@name = 'CI_Date']/@order3"/>
            </xsl:call-template>
          </xsl:when>
          <xsl:otherwise>
            <mdb:dateInfo xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0" xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
              <cit:CI_Date>
                <xsl:copy-of select="$new"/>
                <cit:dateType>
                  <xsl:call-template name="code3">
                    <xsl:with-param name="list" select="'CI_DateTypeCode'"/>
                    <xsl:with-param name="value" select="'creation'"/>
                  </xsl:call-template>
                </cit:dateType>
              </cit:CI_Date>
            </mdb:dateInfo>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The metadata standard's name and version: its citation. -->
      <xsl:when test="$move = 'standard'">
        <xsl:variable name="new">
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes[self::gmd:metadataStandardName]"/>
            <xsl:with-param name="table" select="'MD_Metadata'"/>
            <xsl:with-param name="token" select="'cit:title'"/>
            <xsl:with-param name="nil" select="true()"/>
          </xsl:call-template>
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes[self::gmd:metadataStandardVersion]"/>
            <xsl:with-param name="table" select="'MD_Metadata'"/>
            <xsl:with-param name="token" select="'cit:edition'"/>
            <xsl:with-param name="none" select="true()"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:call-template name="shadowed">
          <xsl:with-param name="prop" select="$token"/>
          <xsl:with-param name="class" select="'cit:CI_Citation'"/>
          <xsl:with-param name="new" select="$new"/>
          <xsl:with-param name="shadow" select="$e/*[@tw3:shadow = 'gmd:metadataStandardName'][1]"/>
          <xsl:with-param name="order" select="$tables3[@name = 'CI_Citation']/@order3"/>
        </xsl:call-template>
      </xsl:when>
      <!-- Data quality without its lineage (which stands on its own); a
           quality of lineage alone has no report and is its lineage only. -->
      <xsl:when test="$move = 'quality'">
        <xsl:for-each select="$nodes">
          <xsl:variable name="d" select="gmd:DQ_DataQuality"/>
          <xsl:if test="not($d) or $d/gmd:report or not($d/gmd:lineage)">
            <mdb:dataQualityInfo xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0">
              <xsl:call-template name="up-attributes"/>
              <xsl:for-each select="$d">
                <xsl:call-template name="up-class">
                  <xsl:with-param name="e" select="."/>
                  <xsl:with-param name="table" select="'DQ_DataQuality'"/>
                </xsl:call-template>
              </xsl:for-each>
            </mdb:dataQualityInfo>
          </xsl:if>
        </xsl:for-each>
      </xsl:when>
      <!-- Voice and facsimile numbers: a telephone each, with its type. -->
      <xsl:when test="$move = 'phones'">
        <xsl:for-each select="$nodes">
          <xsl:choose>
            <xsl:when test="not(*)">
              <cit:phone xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0"><xsl:call-template name="up-attributes"/></cit:phone>
            </xsl:when>
            <xsl:otherwise>
              <xsl:for-each select="*/gmd:voice | */gmd:facsimile">
                <cit:phone xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
                  <cit:CI_Telephone>
                    <xsl:if test="position() = 1"><xsl:copy-of select="../@id | ../@uuid"/></xsl:if>
                    <cit:number>
                      <xsl:call-template name="up-attributes"/>
                      <xsl:for-each select="*"><xsl:call-template name="up-value"/></xsl:for-each>
                    </cit:number>
                    <cit:numberType>
                      <xsl:call-template name="code3">
                        <xsl:with-param name="list" select="'CI_TelephoneTypeCode'"/>
                        <xsl:with-param name="value" select="local-name()"/>
                      </xsl:call-template>
                    </cit:numberType>
                  </cit:CI_Telephone>
                </cit:phone>
              </xsl:for-each>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
      </xsl:when>
      <!-- A format's name, version and specification: its citation. -->
      <xsl:when test="$move = 'format-citation'">
        <xsl:variable name="new">
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes[self::gmd:name]"/>
            <xsl:with-param name="table" select="'MD_Format'"/>
            <xsl:with-param name="token" select="'cit:title'"/>
            <xsl:with-param name="nil" select="true()"/>
          </xsl:call-template>
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes[self::gmd:specification]"/>
            <xsl:with-param name="table" select="'MD_Format'"/>
            <xsl:with-param name="token" select="'cit:alternateTitle'"/>
            <xsl:with-param name="none" select="true()"/>
          </xsl:call-template>
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$nodes[self::gmd:version]"/>
            <xsl:with-param name="table" select="'MD_Format'"/>
            <xsl:with-param name="token" select="'cit:edition'"/>
            <xsl:with-param name="none" select="true()"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:call-template name="shadowed">
          <xsl:with-param name="prop" select="$token"/>
          <xsl:with-param name="class" select="'cit:CI_Citation'"/>
          <xsl:with-param name="new" select="$new"/>
          <xsl:with-param name="shadow" select="$e/*[@tw3:shadow = 'gmd:name'][1]"/>
          <xsl:with-param name="order" select="$tables3[@name = 'CI_Citation']/@order3"/>
        </xsl:call-template>
      </xsl:when>
      <!-- The aggregate's identifier: the citation of its metadata. -->
      <xsl:when test="$move = 'aggregate-identifier'">
        <xsl:for-each select="$nodes[1]">
          <mri:metadataReference xmlns:mri="http://standards.iso.org/iso/19115/-3/mri/1.0" xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
            <xsl:call-template name="up-attributes"/>
            <xsl:if test="*">
              <cit:CI_Citation>
                <xsl:call-template name="nil3"><xsl:with-param name="qname" select="'cit:title'"/></xsl:call-template>
                <cit:identifier>
                  <xsl:call-template name="up-content">
                    <xsl:with-param name="row" select="$tables3[@name = 'MD_AggregateInformation']/map:p[@iso = 'aggregateDataSetIdentifier']"/>
                  </xsl:call-template>
                </cit:identifier>
              </cit:CI_Citation>
            </xsl:if>
          </mri:metadataReference>
        </xsl:for-each>
      </xsl:when>
      <!-- A coupled resource's operation, by its name. -->
      <xsl:when test="$move = 'coupled-operation'">
        <srv:operation xmlns:srv="http://standards.iso.org/iso/19115/-3/srv/2.0">
          <srv:SV_OperationMetadata>
            <xsl:call-template name="up-as">
              <xsl:with-param name="c" select="$nodes"/>
              <xsl:with-param name="table" select="'SV_CoupledResource'"/>
              <xsl:with-param name="token" select="'srv:operationName'"/>
            </xsl:call-template>
            <xsl:call-template name="nil3"><xsl:with-param name="qname" select="'srv:distributedComputingPlatform'"/></xsl:call-template>
            <xsl:call-template name="nil3"><xsl:with-param name="qname" select="'srv:connectPoint'"/></xsl:call-template>
          </srv:SV_OperationMetadata>
        </srv:operation>
      </xsl:when>
      <!-- A coupled resource's identifier: a reference to the resource. -->
      <xsl:when test="$move = 'coupled-resource'">
        <xsl:for-each select="$nodes[1]">
          <xsl:choose>
            <xsl:when test="* and not(gco:CharacterString and count(*) = 1)">
              <xsl:call-template name="up-misfits"><xsl:with-param name="e" select="$e"/><xsl:with-param name="nodes" select="."/></xsl:call-template>
            </xsl:when>
            <xsl:otherwise>
              <srv:resourceReference xmlns:srv="http://standards.iso.org/iso/19115/-3/srv/2.0">
                <xsl:if test="gco:CharacterString"><xsl:attribute name="uuidref"><xsl:value-of select="gco:CharacterString"/></xsl:attribute></xsl:if>
                <xsl:if test="not(*)"><xsl:call-template name="up-attributes"/></xsl:if>
              </srv:resourceReference>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
      </xsl:when>
      <!-- A quality element's measure and its evaluation: classes of their own. -->
      <xsl:when test="$move = 'measure'">
        <mdq:measure xmlns:mdq="http://standards.iso.org/iso/19157/-2/mdq/1.0">
          <mdq:DQ_MeasureReference>
            <xsl:for-each select="$nodes[self::gmd:measureIdentification] | $nodes[self::gmd:nameOfMeasure] | $nodes[self::gmd:measureDescription]">
              <xsl:sort select="number(boolean(self::gmd:nameOfMeasure)) + 2 * number(boolean(self::gmd:measureDescription))" data-type="number"/>
              <xsl:call-template name="up-as">
                <xsl:with-param name="c" select="."/>
                <xsl:with-param name="table" select="'DQ_Element'"/>
                <xsl:with-param name="token" select="concat('mdq:', local-name())"/>
              </xsl:call-template>
            </xsl:for-each>
          </mdq:DQ_MeasureReference>
        </mdq:measure>
      </xsl:when>
      <xsl:when test="$move = 'evaluation'">
        <mdq:evaluationMethod xmlns:mdq="http://standards.iso.org/iso/19157/-2/mdq/1.0">
          <mdq:DQ_EvaluationMethod>
            <xsl:for-each select="$nodes">
              <xsl:sort select="number(boolean(self::gmd:evaluationMethodDescription)) + 2 * number(boolean(self::gmd:evaluationProcedure))
                                + 3 * number(local-name() = 'referenceDoc') + 4 * number(boolean(self::gmd:evaluationMethodType))" data-type="number"/>
              <xsl:choose>
                <xsl:when test="self::gmd:*">
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="."/>
                    <xsl:with-param name="table" select="'DQ_Element'"/>
                    <xsl:with-param name="token" select="concat('mdq:', local-name())"/>
                  </xsl:call-template>
                </xsl:when>
                <xsl:otherwise><xsl:call-template name="clean-copy"/></xsl:otherwise>
              </xsl:choose>
            </xsl:for-each>
          </mdq:DQ_EvaluationMethod>
        </mdq:evaluationMethod>
      </xsl:when>
      <!-- The date of the next update: a dated nextUpdate. -->
      <xsl:when test="$move = 'next-update'">
        <mmi:maintenanceDate xmlns:mmi="http://standards.iso.org/iso/19115/-3/mmi/1.0" xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
          <cit:CI_Date>
            <xsl:call-template name="up-as">
              <xsl:with-param name="c" select="$nodes"/>
              <xsl:with-param name="table" select="'MD_MaintenanceInformation'"/>
              <xsl:with-param name="token" select="'cit:date'"/>
            </xsl:call-template>
            <cit:dateType>
              <xsl:call-template name="code3">
                <xsl:with-param name="list" select="'CI_DateTypeCode'"/>
                <xsl:with-param name="value" select="'nextUpdate'"/>
              </xsl:call-template>
            </cit:dateType>
          </cit:CI_Date>
        </mmi:maintenanceDate>
      </xsl:when>
      <!-- The scopes of an update: a scope each, the descriptions in the first. -->
      <xsl:when test="$move = 'update-scope'">
        <xsl:variable name="levels" select="$nodes[self::gmd:updateScope]"/>
        <xsl:variable name="descriptions" select="$nodes[self::gmd:updateScopeDescription]"/>
        <xsl:for-each select="$levels | $descriptions[not($levels)][1]">
          <mmi:maintenanceScope xmlns:mmi="http://standards.iso.org/iso/19115/-3/mmi/1.0" xmlns:mcc="http://standards.iso.org/iso/19115/-3/mcc/1.0">
            <mcc:MD_Scope>
              <xsl:call-template name="up-as">
                <xsl:with-param name="c" select="self::gmd:updateScope"/>
                <xsl:with-param name="table" select="'MD_MaintenanceInformation'"/>
                <xsl:with-param name="token" select="'mcc:level'"/>
                <xsl:with-param name="nil" select="true()"/>
              </xsl:call-template>
              <xsl:if test="position() = 1">
                <xsl:for-each select="$descriptions">
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="."/>
                    <xsl:with-param name="table" select="'MD_MaintenanceInformation'"/>
                    <xsl:with-param name="token" select="'mcc:levelDescription'"/>
                  </xsl:call-template>
                </xsl:for-each>
              </xsl:if>
            </mcc:MD_Scope>
          </mmi:maintenanceScope>
        </xsl:for-each>
      </xsl:when>
      <!-- A coverage's content type and dimensions: one attribute group. -->
      <xsl:when test="$move = 'attribute-group'">
        <mrc:attributeGroup xmlns:mrc="http://standards.iso.org/iso/19115/-3/mrc/2.0">
          <mrc:MD_AttributeGroup>
            <xsl:call-template name="up-as">
              <xsl:with-param name="c" select="$nodes[self::gmd:contentType]"/>
              <xsl:with-param name="table" select="'MD_CoverageDescription'"/>
              <xsl:with-param name="token" select="'mrc:contentType'"/>
              <xsl:with-param name="nil" select="true()"/>
            </xsl:call-template>
            <xsl:for-each select="$nodes[self::gmd:dimension]">
              <xsl:call-template name="up-as">
                <xsl:with-param name="c" select="."/>
                <xsl:with-param name="table" select="'MD_CoverageDescription'"/>
                <xsl:with-param name="token" select="'mrc:attribute'"/>
              </xsl:call-template>
            </xsl:for-each>
          </mrc:MD_AttributeGroup>
        </mrc:attributeGroup>
      </xsl:when>
      <!-- A medium's name: the citation of the medium. -->
      <xsl:when test="$move = 'medium-name'">
        <xsl:for-each select="$nodes[1]">
          <mrd:name xmlns:mrd="http://standards.iso.org/iso/19115/-3/mrd/1.0" xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
            <xsl:call-template name="up-attributes"/>
            <xsl:for-each select="*[1]">
              <cit:CI_Citation>
                <cit:title>
                  <xsl:element name="gco:CharacterString" namespace="{$gco3}">
                    <xsl:value-of select="concat(@codeListValue, substring(., 1, string-length(.) * not(string(@codeListValue))))"/>
                  </xsl:element>
                </cit:title>
              </cit:CI_Citation>
            </xsl:for-each>
          </mrd:name>
        </xsl:for-each>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- A language of the item as a locale's language: its code, or its text
       under a code list of ours. -->
  <xsl:template name="up-language">
    <xsl:param name="c"/>
    <lan:language xmlns:lan="http://standards.iso.org/iso/19115/-3/lan/1.0">
      <xsl:for-each select="$c">
        <xsl:call-template name="up-attributes"/>
        <xsl:for-each select="gmd:LanguageCode"><xsl:call-template name="up-value"/></xsl:for-each>
        <xsl:for-each select="gco:CharacterString">
          <lan:LanguageCode codeList="{$tw3-ns}#LanguageCode" codeListValue="{.}"><xsl:value-of select="."/></lan:LanguageCode>
        </xsl:for-each>
      </xsl:for-each>
      <xsl:if test="not($c)">
        <xsl:attribute name="gco:nilReason" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0">missing</xsl:attribute>
      </xsl:if>
    </lan:language>
  </xsl:template>

  <!-- A responsible party as a responsibility: its role, and a party — an
       organisation (with the individual inside) or an individual. What the
       record held that ISO 19139 has no place for (the item carries it)
       goes back where it stood. -->
  <xsl:template name="up-responsibility">
    <xsl:param name="e"/>
    <xsl:param name="t"/>
    <xsl:variable name="cit" select="'http://standards.iso.org/iso/19115/-3/cit/2.0'"/>
    <xsl:variable name="org" select="$e/gmd:organisationName"/>
    <xsl:variable name="ind" select="$e/gmd:individualName"/>
    <xsl:variable name="pos" select="$e/gmd:positionName"/>
    <xsl:variable name="contact" select="$e/gmd:contactInfo"/>
    <xsl:variable name="own" select="$e/*[namespace-uri() = $cit]"/>
    <xsl:variable name="in-party"
        select="$own[self::*[local-name() = 'contactInfo' or local-name() = 'partyIdentifier' or local-name() = 'logo' or local-name() = 'individual']]"/>
    <cit:CI_Responsibility xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
      <xsl:copy-of select="$e/@id | $e/@uuid"/>
      <xsl:choose>
        <xsl:when test="$e/gmd:role[* or @*[not(. = 'missing')]]">
          <xsl:call-template name="up-as">
            <xsl:with-param name="c" select="$e/gmd:role"/>
            <xsl:with-param name="table" select="$t/@name"/>
            <xsl:with-param name="token" select="'cit:role'"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:otherwise><xsl:call-template name="nil3"><xsl:with-param name="qname" select="'cit:role'"/></xsl:call-template></xsl:otherwise>
      </xsl:choose>
      <xsl:for-each select="$own[local-name() = 'extent']"><xsl:call-template name="clean-copy"/></xsl:for-each>
      <xsl:choose>
        <xsl:when test="$org or $ind or $pos or $contact or $in-party">
          <cit:party>
            <xsl:choose>
              <xsl:when test="$org or not($ind or $pos)">
                <cit:CI_Organisation>
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="$org"/>
                    <xsl:with-param name="table" select="$t/@name"/>
                    <xsl:with-param name="token" select="'cit:name'"/>
                  </xsl:call-template>
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="$contact"/>
                    <xsl:with-param name="table" select="$t/@name"/>
                    <xsl:with-param name="token" select="'cit:contactInfo'"/>
                  </xsl:call-template>
                  <xsl:for-each select="$in-party[local-name() = 'contactInfo'] | $in-party[local-name() = 'partyIdentifier']"><xsl:call-template name="clean-copy"/></xsl:for-each>
                  <xsl:for-each select="$in-party[local-name() = 'logo']"><xsl:call-template name="clean-copy"/></xsl:for-each>
                  <xsl:if test="$ind or $pos">
                    <cit:individual>
                      <cit:CI_Individual>
                        <xsl:call-template name="up-as">
                          <xsl:with-param name="c" select="$ind"/>
                          <xsl:with-param name="table" select="$t/@name"/>
                          <xsl:with-param name="token" select="'cit:name'"/>
                        </xsl:call-template>
                        <xsl:call-template name="up-as">
                          <xsl:with-param name="c" select="$pos"/>
                          <xsl:with-param name="table" select="$t/@name"/>
                          <xsl:with-param name="token" select="'cit:positionName'"/>
                        </xsl:call-template>
                      </cit:CI_Individual>
                    </cit:individual>
                  </xsl:if>
                  <xsl:for-each select="$in-party[local-name() = 'individual']"><xsl:call-template name="clean-copy"/></xsl:for-each>
                </cit:CI_Organisation>
              </xsl:when>
              <xsl:otherwise>
                <cit:CI_Individual>
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="$ind"/>
                    <xsl:with-param name="table" select="$t/@name"/>
                    <xsl:with-param name="token" select="'cit:name'"/>
                  </xsl:call-template>
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="$contact"/>
                    <xsl:with-param name="table" select="$t/@name"/>
                    <xsl:with-param name="token" select="'cit:contactInfo'"/>
                  </xsl:call-template>
                  <xsl:for-each select="$in-party[local-name() = 'contactInfo'] | $in-party[local-name() = 'partyIdentifier']"><xsl:call-template name="clean-copy"/></xsl:for-each>
                  <xsl:call-template name="up-as">
                    <xsl:with-param name="c" select="$pos"/>
                    <xsl:with-param name="table" select="$t/@name"/>
                    <xsl:with-param name="token" select="'cit:positionName'"/>
                  </xsl:call-template>
                </cit:CI_Individual>
              </xsl:otherwise>
            </xsl:choose>
          </cit:party>
        </xsl:when>
        <xsl:when test="not($own[local-name() = 'party'])">
          <xsl:call-template name="nil3"><xsl:with-param name="qname" select="'cit:party'"/></xsl:call-template>
        </xsl:when>
      </xsl:choose>
      <xsl:for-each select="$own[local-name() = 'party']"><xsl:call-template name="clean-copy"/></xsl:for-each>
      <xsl:call-template name="up-misfits">
        <xsl:with-param name="e" select="$e"/>
        <xsl:with-param name="nodes"
            select="$e/*[not(self::gmd:individualName or self::gmd:organisationName or self::gmd:positionName
                             or self::gmd:contactInfo or self::gmd:role)]
                        [not(namespace-uri() = $cit and (local-name() = 'extent' or local-name() = 'party' or local-name() = 'contactInfo'
                             or local-name() = 'partyIdentifier' or local-name() = 'logo' or local-name() = 'individual'))]"/>
      </xsl:call-template>
    </cit:CI_Responsibility>
  </xsl:template>

  <!-- ===================================================================
       The record as written: tw3:misfit elements out to tw3:carried, the
       extension said where the record uses it, namespaces on the root.
       =================================================================== -->

  <xsl:template match="*" mode="finish3">
    <xsl:variable name="misfits" select=".//tw3:misfit"/>
    <xsl:variable name="extended" select="boolean(.//tw3:*)"/>
    <xsl:variable name="name">
      <xsl:choose>
        <xsl:when test="$extended and local-name() = 'MD_Metadata'">tw3:MD_Metadata</xsl:when>
        <xsl:otherwise><xsl:value-of select="name()"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:element name="{$name}" namespace="{substring(namespace-uri(), 1, string-length(namespace-uri()) * not($extended and local-name() = 'MD_Metadata'))}{substring($tw3-ns, 1, string-length($tw3-ns) * ($extended and local-name() = 'MD_Metadata'))}">
      <xsl:copy-of select="$namespaces3/namespace::*[name() != 'xml' and name() != 'xsl' and name() != 'map']
                           [name() != 'tw3' or $extended]"/>
      <xsl:copy-of select="@*"/>
      <xsl:if test="tw3:misfit and not(@id)">
        <xsl:attribute name="id"><xsl:call-template name="place-id3"><xsl:with-param name="n" select="."/></xsl:call-template></xsl:attribute>
      </xsl:if>
      <xsl:attribute name="xsi:schemaLocation">http://standards.iso.org/iso/19115/-3/mdb/2.0 https://schemas.isotc211.org/19115/-3/mdb/2.0/mdb.xsd</xsl:attribute>
      <xsl:for-each select="*[not(self::tw3:misfit or self::tw3:verbatim)]">
        <xsl:if test="$extended and local-name() = 'identificationInfo' and not(preceding-sibling::*[local-name() = 'identificationInfo'])">
          <!-- ISO 19115 asks an extended record to say where its extension is described. -->
          <mdb:metadataExtensionInfo xmlns:mdb="http://standards.iso.org/iso/19115/-3/mdb/2.0"
              xmlns:mex="http://standards.iso.org/iso/19115/-3/mex/1.0" xmlns:cit="http://standards.iso.org/iso/19115/-3/cit/2.0">
            <mex:MD_MetadataExtensionInformation>
              <mex:extensionOnLineResource>
                <cit:CI_OnlineResource>
                  <cit:linkage><xsl:element name="gco:CharacterString" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0"><xsl:value-of select="$tw3-ns"/></xsl:element></cit:linkage>
                  <cit:name><xsl:element name="gco:CharacterString" namespace="http://standards.iso.org/iso/19115/-3/gco/1.0">Tidewise extension of ISO 19115-3 (tidewise-iso19115-3.xsd)</xsl:element></cit:name>
                </cit:CI_OnlineResource>
              </mex:extensionOnLineResource>
            </mex:MD_MetadataExtensionInformation>
          </mdb:metadataExtensionInfo>
        </xsl:if>
        <xsl:choose>
          <xsl:when test="$misfits"><xsl:apply-templates select="." mode="finish3-copy"/></xsl:when>
          <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
      <xsl:copy-of select="tw3:verbatim"/>
      <xsl:for-each select="$misfits">
        <tw3:carried after="{@after}">
          <xsl:attribute name="ref">
            <xsl:choose>
              <xsl:when test="../@id"><xsl:value-of select="../@id"/></xsl:when>
              <xsl:otherwise><xsl:call-template name="place-id3"><xsl:with-param name="n" select=".."/></xsl:call-template></xsl:otherwise>
            </xsl:choose>
          </xsl:attribute>
          <xsl:for-each select="*"><xsl:call-template name="clean-copy"/></xsl:for-each>
        </tw3:carried>
      </xsl:for-each>
    </xsl:element>
  </xsl:template>

  <xsl:template match="*" mode="finish3-copy">
    <xsl:copy>
      <xsl:copy-of select="@*"/>
      <xsl:if test="tw3:misfit and not(@id)">
        <xsl:attribute name="id"><xsl:call-template name="place-id3"><xsl:with-param name="n" select="."/></xsl:call-template></xsl:attribute>
      </xsl:if>
      <xsl:apply-templates select="node()[not(self::tw3:misfit)]" mode="finish3-copy"/>
    </xsl:copy>
  </xsl:template>

  <xsl:template match="text()" mode="finish3-copy"><xsl:copy-of select="."/></xsl:template>

  <!-- ===================================================================
       Import: an ISO 19115-3 record as the ISO 19139 the importer reads
       =================================================================== -->

  <xsl:template name="from3-record">
    <xsl:param name="r"/>
    <xsl:variable name="mi" select="local-name($r) = 'MI_Metadata' or $r/*[local-name() = 'acquisitionInformation']"/>
    <!-- Quality and lineage of the same scope are one quality of ISO 19139:
         the k-th lineage of a scope joins the k-th quality of that scope. -->
    <xsl:variable name="scopes">
      <xsl:for-each select="$r/*[local-name() = 'dataQualityInfo' or local-name() = 'resourceLineage']">
        <s id="{generate-id()}" kind="{local-name()}">
          <xsl:attribute name="sig">
            <xsl:for-each select="*/*[local-name() = 'scope']/*">
              <xsl:value-of select="concat(*[local-name() = 'level']/*/@codeListValue, '|', normalize-space(.))"/>
            </xsl:for-each>
          </xsl:attribute>
        </s>
      </xsl:for-each>
    </xsl:variable>
    <xsl:call-template name="down-class">
      <xsl:with-param name="x" select="$r"/>
      <xsl:with-param name="table" select="concat(substring('MI_Metadata', 1, 11 * $mi), substring('MD_Metadata', 1, 11 * not($mi)))"/>
      <xsl:with-param name="name">
        <xsl:choose>
          <xsl:when test="$mi">gmi:MI_Metadata</xsl:when>
          <xsl:when test="namespace-uri($r) = $tw3-ns">tw:MD_Metadata</xsl:when>
          <xsl:otherwise>gmd:MD_Metadata</xsl:otherwise>
        </xsl:choose>
      </xsl:with-param>
      <xsl:with-param name="scopes" select="exsl:node-set($scopes)/s"/>
    </xsl:call-template>
  </xsl:template>

  <xsl:template name="uri19139">
    <xsl:param name="qname"/>
    <xsl:variable name="prefix" select="substring-before($qname, ':')"/>
    <xsl:value-of select="$ns19139[@prefix = $prefix]/@uri"/>
  </xsl:template>

  <!-- The 19139 class element of table $table (named $name, else the
       table's) for the 19115-3 class element $x. -->
  <xsl:template name="down-class">
    <xsl:param name="x"/>
    <xsl:param name="table"/>
    <xsl:param name="name" select="''"/>
    <xsl:param name="scopes" select="/.."/>
    <xsl:param name="lineage" select="/.."/>
    <xsl:variable name="t" select="$tables3[@name = $table]"/>
    <xsl:choose>
      <xsl:when test="$t/@iso3 = 'CI_Responsibility'">
        <xsl:call-template name="down-responsibility">
          <xsl:with-param name="x" select="$x"/>
          <xsl:with-param name="t" select="$t"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="qname">
          <xsl:choose>
            <xsl:when test="string($name)"><xsl:value-of select="$name"/></xsl:when>
            <xsl:when test="namespace-uri($x) = $tw3-ns"><xsl:value-of select="concat('tw:', local-name($x))"/></xsl:when>
            <xsl:when test="$t/@iso"><xsl:value-of select="concat($t/@ns, ':', $t/@iso)"/></xsl:when>
            <xsl:otherwise><xsl:value-of select="concat($t/@ns, ':', $t/@name)"/></xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:variable name="uri"><xsl:call-template name="uri19139"><xsl:with-param name="qname" select="$qname"/></xsl:call-template></xsl:variable>
        <xsl:variable name="record" select="$x/ancestor-or-self::*[(local-name() = 'MD_Metadata' or local-name() = 'MI_Metadata') and (starts-with(namespace-uri(), $iso3-prefix) or namespace-uri() = $tw3-ns)][last()]"/>
        <xsl:element name="{$qname}" namespace="{$uri}">
          <xsl:copy-of select="$x/@id | $x/@uuid"/>
          <xsl:variable name="children">
            <xsl:for-each select="$x/*">
              <xsl:call-template name="down-child">
                <xsl:with-param name="x" select="$x"/>
                <xsl:with-param name="t" select="$t"/>
                <xsl:with-param name="scopes" select="$scopes"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:variable>
          <!-- What the export sent to the end of the record: ISO 19139 back in
               its class, after the property it followed. -->
          <xsl:variable name="back"
              select="$record/tw3:carried[$x/@id and @ref = $x/@id]
                      [*[contains($iso19139-namespaces, concat(' ', namespace-uri(), ' '))]]"/>
          <xsl:choose>
            <xsl:when test="not($back)"><xsl:copy-of select="$children"/></xsl:when>
            <xsl:otherwise>
              <xsl:variable name="nodes" select="exsl:node-set($children)/*"/>
              <xsl:variable name="names">
                <xsl:for-each select="$nodes">
                  <xsl:text> </xsl:text><xsl:call-template name="prefix19139"/><xsl:value-of select="concat(':', local-name(), ' ')"/>
                </xsl:for-each>
              </xsl:variable>
              <xsl:for-each select="$back[@after = '' or not(contains($names, concat(' ', @after, ' ')))]">
                <xsl:call-template name="carried-back"/>
              </xsl:for-each>
              <xsl:for-each select="$nodes">
                <xsl:copy-of select="."/>
                <xsl:variable name="q"><xsl:call-template name="prefix19139"/><xsl:value-of select="concat(':', local-name())"/></xsl:variable>
                <xsl:if test="not(following-sibling::*[local-name() = local-name(current())][namespace-uri() = namespace-uri(current())])">
                  <xsl:for-each select="$back[@after = $q]"><xsl:call-template name="carried-back"/></xsl:for-each>
                </xsl:if>
              </xsl:for-each>
            </xsl:otherwise>
          </xsl:choose>
          <xsl:for-each select="$lineage">
            <gmd:lineage>
              <xsl:call-template name="down-attributes"/>
              <xsl:for-each select="*[local-name() = 'LI_Lineage']">
                <xsl:call-template name="down-class">
                  <xsl:with-param name="x" select="."/>
                  <xsl:with-param name="table" select="'LI_Lineage'"/>
                </xsl:call-template>
              </xsl:for-each>
            </gmd:lineage>
          </xsl:for-each>
          <!-- Others of it the importer puts back. -->
          <xsl:if test="generate-id($x) = generate-id($record)">
            <xsl:variable name="ident" select="$x/*[local-name() = 'identificationInfo'][1]/*/*[local-name() = 'citation']/*"/>
            <xsl:for-each select="$ident/*[local-name() = 'onlineResource'][1][count(*) = 1 and not(@*)]/*[local-name() = 'CI_OnlineResource']
                                  [count(*) = 1 and not(@*)]/*[local-name() = 'linkage'][count(*) = 1 and not(@*)]/gco3:CharacterString">
              <gmd:dataSetURI><gco:CharacterString><xsl:value-of select="."/></gco:CharacterString></gmd:dataSetURI>
            </xsl:for-each>
            <xsl:for-each select="$record/tw3:carried[*[not(contains($iso19139-namespaces, concat(' ', namespace-uri(), ' ')))]]">
              <tw:carried ref="{@ref}" after="{@after}">
                <xsl:for-each select="*[not(contains($iso19139-namespaces, concat(' ', namespace-uri(), ' ')))]"><xsl:call-template name="clean-copy"/></xsl:for-each>
              </tw:carried>
            </xsl:for-each>
          </xsl:if>
        </xsl:element>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="carried-back">
    <xsl:for-each select="*[contains($iso19139-namespaces, concat(' ', namespace-uri(), ' '))]">
      <xsl:call-template name="clean-copy"/>
    </xsl:for-each>
  </xsl:template>

  <!-- The resource's address, when the first citation holds it alone. -->
  <xsl:template name="dataset-uri-node">
    <xsl:param name="record"/>
    <xsl:variable name="ident" select="$record/*[local-name() = 'identificationInfo'][1]/*/*[local-name() = 'citation']/*"/>
    <xsl:value-of select="generate-id($ident/*[local-name() = 'onlineResource'][1][count(*) = 1 and not(@*)]
                          [*[local-name() = 'CI_OnlineResource'][count(*) = 1 and not(@*)]/*[local-name() = 'linkage'][count(*) = 1 and not(@*)]/gco3:CharacterString])"/>
  </xsl:template>

  <!-- One child (the context node) of the 19115-3 class element $x, read
       through table $t. -->
  <xsl:template name="down-child">
    <xsl:param name="x"/>
    <xsl:param name="t"/>
    <xsl:param name="scopes"/>
    <xsl:variable name="p" select="."/>
    <xsl:variable name="q"><xsl:call-template name="qname3"/></xsl:variable>
    <xsl:variable name="base" select="$tables3[@name = $t/@base]"/>
    <xsl:variable name="token">
      <xsl:choose>
        <xsl:when test="$q = 'mac:acquisitionInformation'">mdb:acquisitionInformation</xsl:when>
        <xsl:when test="$q = 'mri:otherLocale'">mri:defaultLocale</xsl:when>
        <xsl:when test="$q = 'dqc:dateTime'">mdq:evaluationMethod</xsl:when>
        <xsl:otherwise><xsl:value-of select="$q"/></xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="row"
        select="($t/map:p[@to3 = $token or not(@to3) and concat(../@ns3, ':', @iso) = $token]
                 | $base/map:p[@to3 = $token or not(@to3) and concat(../@ns3, ':', @iso) = $token])[1]"/>
    <xsl:choose>
      <xsl:when test="self::tw3:verbatim">
        <tw:verbatim property="{@property}">
          <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
        </tw:verbatim>
      </xsl:when>
      <xsl:when test="self::tw3:carried"/>
      <!-- A placeholder where ISO requires a value the record has not: nothing. -->
      <xsl:when test="not(*) and @gco3:nilReason = 'missing' and count(@*) = 1 and normalize-space(.) = ''"/>
      <xsl:when test="@tw3:shadow"><xsl:call-template name="leftover"/></xsl:when>
      <xsl:when test="not(string($q))"><xsl:call-template name="clean-copy"/></xsl:when>
      <!-- Ours, from the export: the importer knows the extension already. -->
      <xsl:when test="$q = 'mdb:metadataExtensionInfo' and .//*[local-name() = 'linkage']/* = $tw3-ns"/>
      <xsl:when test="$q = 'mrl:scope' and $t/@name = 'LI_Lineage'"/>
      <xsl:when test="$q = 'dqc:dateTime' and $t/@name = 'DQ_Element'">
        <gmd:dateTime>
          <xsl:call-template name="down-attributes"/>
          <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
        </gmd:dateTime>
      </xsl:when>
      <xsl:when test="$q = 'mdb:resourceLineage' and $t/@name != 'LI_Lineage'">
        <xsl:variable name="me" select="$scopes[@id = generate-id($p)]"/>
        <xsl:variable name="k" select="count($me/preceding-sibling::s[@kind = 'resourceLineage'][@sig = $me/@sig]) + 1"/>
        <xsl:if test="not($scopes[@kind = 'dataQualityInfo'][@sig = $me/@sig][$k])">
          <gmd:dataQualityInfo>
            <gmd:DQ_DataQuality>
              <xsl:for-each select="*/*[local-name() = 'scope']">
                <xsl:call-template name="down-property">
                  <xsl:with-param name="row" select="$tables3[@name = 'DQ_DataQuality']/map:p[@iso = 'scope']"/>
                </xsl:call-template>
              </xsl:for-each>
              <gmd:lineage>
                <xsl:call-template name="down-attributes"/>
                <xsl:for-each select="*[local-name() = 'LI_Lineage']">
                  <xsl:call-template name="down-class">
                    <xsl:with-param name="x" select="."/>
                    <xsl:with-param name="table" select="'LI_Lineage'"/>
                  </xsl:call-template>
                </xsl:for-each>
              </gmd:lineage>
            </gmd:DQ_DataQuality>
          </gmd:dataQualityInfo>
        </xsl:if>
      </xsl:when>
      <xsl:when test="$q = 'cit:onlineResource' and $t/@name = 'CI_Citation'">
        <xsl:variable name="uri-node"><xsl:call-template name="dataset-uri-node"><xsl:with-param name="record" select="$x/ancestor-or-self::*[(local-name() = 'MD_Metadata' or local-name() = 'MI_Metadata') and (starts-with(namespace-uri(), $iso3-prefix) or namespace-uri() = $tw3-ns)][last()]"/></xsl:call-template></xsl:variable>
        <xsl:if test="generate-id() != $uri-node"><xsl:call-template name="leftover"/></xsl:if>
      </xsl:when>
      <xsl:when test="not($row)"><xsl:call-template name="leftover"/></xsl:when>
      <xsl:when test="$row/@move3">
        <xsl:call-template name="down-move">
          <xsl:with-param name="move" select="$row/@move3"/>
          <xsl:with-param name="x" select="$x"/>
          <xsl:with-param name="t" select="$t"/>
          <xsl:with-param name="row" select="$row"/>
          <xsl:with-param name="scopes" select="$scopes"/>
        </xsl:call-template>
      </xsl:when>
      <!-- A second of a property ISO 19139 does not repeat. -->
      <xsl:when test="not($row/@max = 'n') and preceding-sibling::*[local-name() = local-name($p)][namespace-uri() = namespace-uri($p)]">
        <xsl:call-template name="leftover"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="down-property"><xsl:with-param name="row" select="$row"/></xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- An element ISO 19139 has no place for, as it is (in the namespaces of
       ISO 19115-3's second version). -->
  <xsl:template name="leftover">
    <xsl:param name="shadow" select="''"/>
    <xsl:param name="nested" select="false()"/>
    <xsl:variable name="uri"><xsl:call-template name="uri-now"/></xsl:variable>
    <!-- A property that holds only the sign of a missing value holds nothing. -->
    <xsl:if test="$nested or * or normalize-space(.) != '' or @*[not(local-name() = 'nilReason' and . = 'missing')]">
    <xsl:element name="{name()}" namespace="{$uri}">
      <xsl:copy-of select="@*"/>
      <xsl:if test="string($shadow)"><xsl:attribute name="tw3:shadow"><xsl:value-of select="$shadow"/></xsl:attribute></xsl:if>
      <xsl:for-each select="node()">
        <xsl:choose>
          <xsl:when test="self::*"><xsl:call-template name="leftover"><xsl:with-param name="nested" select="true()"/></xsl:call-template></xsl:when>
          <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
        </xsl:choose>
      </xsl:for-each>
    </xsl:element>
    </xsl:if>
  </xsl:template>

  <!-- The namespace of the context element in the version the export writes. -->
  <xsl:template name="uri-now">
    <xsl:variable name="package"><xsl:call-template name="package"/></xsl:variable>
    <xsl:variable name="now" select="$ns3s[@prefix = $package]/@uri"/>
    <xsl:choose>
      <xsl:when test="string($package) and $package != 'tw3' and $now"><xsl:value-of select="$now"/></xsl:when>
      <xsl:otherwise><xsl:value-of select="namespace-uri()"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="down-attributes">
    <xsl:copy-of select="@xlink:* | @uuidref"/>
    <xsl:if test="@gco3:nilReason"><xsl:attribute name="gco:nilReason"><xsl:value-of select="@gco3:nilReason"/></xsl:attribute></xsl:if>
    <xsl:if test="@xsi:type = 'lan:PT_FreeText_PropertyType'"><xsl:attribute name="xsi:type">gmd:PT_FreeText_PropertyType</xsl:attribute></xsl:if>
  </xsl:template>

  <!-- The 19115-3 property (context node) of row $row, as ISO 19139's; what
       is not in the shape the row reads stays as it is. -->
  <xsl:template name="down-property">
    <xsl:param name="row"/>
    <xsl:param name="name" select="concat(($row/@ns | $row/../@ns)[last()], ':', $row/@iso)"/>
    <xsl:variable name="inner">
      <xsl:call-template name="unwrap"><xsl:with-param name="steps" select="$row/@wrap3"/></xsl:call-template>
    </xsl:variable>
    <xsl:variable name="x" select="*[1]"/>
    <xsl:variable name="table">
      <xsl:choose>
        <xsl:when test="$row/@wrap3"/>
        <xsl:when test="$row/@class">
          <xsl:variable name="ct" select="$tables3[@name = $row/@class]"/>
          <xsl:variable name="c3"><xsl:call-template name="class3"><xsl:with-param name="t" select="$ct"/></xsl:call-template></xsl:variable>
          <xsl:variable name="q"><xsl:call-template name="qname3"><xsl:with-param name="n" select="$x"/></xsl:call-template></xsl:variable>
          <xsl:if test="$q = $c3 or $q = concat('tw3:', substring-after($c3, ':'))"><xsl:value-of select="$row/@class"/></xsl:if>
        </xsl:when>
        <xsl:when test="$row/@choice">
          <xsl:call-template name="down-option">
            <xsl:with-param name="choice" select="$row/@choice"/>
            <xsl:with-param name="x" select="$x"/>
          </xsl:call-template>
        </xsl:when>
      </xsl:choose>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="$row/@type = 'inline'">
        <xsl:for-each select="*[1]"><xsl:call-template name="down-value"/></xsl:for-each>
      </xsl:when>
      <xsl:when test="$row/@wrap3 and string($inner) != 'ok'"><xsl:call-template name="leftover"/></xsl:when>
      <xsl:when test="($row/@class or $row/@choice) and not($row/@wrap3) and $x and (*[2] or not(string($table)))">
        <xsl:call-template name="leftover"/>
      </xsl:when>
      <xsl:when test="$row/@form3 = 'instant' and $x and not($x[local-name() = 'TimeInstant'][count(*) = 1]/*[local-name() = 'timePosition'][not(@*)])">
        <xsl:call-template name="leftover"/>
      </xsl:when>
      <!-- A value of an enumeration that ISO 19139's does not have (ISO
           19115-1 added some): ISO 19139 cannot hold it. -->
      <xsl:when test="$row/@type = 'enum' and $x
                      and not($codes3[@list = $row/@list]/map:v[@iso = normalize-space($x) or @iso3 = normalize-space($x)])">
        <xsl:call-template name="leftover"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="uri"><xsl:call-template name="uri19139"><xsl:with-param name="qname" select="$name"/></xsl:call-template></xsl:variable>
        <xsl:element name="{$name}" namespace="{$uri}">
          <xsl:call-template name="down-attributes"/>
          <xsl:choose>
            <xsl:when test="$row/@wrap3">
              <xsl:call-template name="down-unwrapped">
                <xsl:with-param name="row" select="$row"/>
                <xsl:with-param name="steps" select="$row/@wrap3"/>
              </xsl:call-template>
            </xsl:when>
            <xsl:when test="not($x)"/>
            <xsl:when test="$row/@form3 = 'instant'">
              <gco:DateTime><xsl:value-of select="$x/*"/></gco:DateTime>
            </xsl:when>
            <xsl:when test="$row/@class or $row/@choice">
              <xsl:variable name="o" select="$choices3[@name = $row/@choice]/map:c[(@table | @iso)[last()] = $table]"/>
              <xsl:call-template name="down-class">
                <xsl:with-param name="x" select="$x"/>
                <xsl:with-param name="table" select="$table"/>
                <xsl:with-param name="name">
                  <xsl:if test="$o/@table">
                    <xsl:value-of select="concat(substring('gmd:', 1, 4 * not(namespace-uri($x) = $tw3-ns)), substring('tw:', 1, 3 * (namespace-uri($x) = $tw3-ns)),
                                                 $choices3[@name = $row/@choice]/map:c[@iso3 = local-name($x) or @iso = local-name($x)][1]/@iso)"/>
                  </xsl:if>
                </xsl:with-param>
              </xsl:call-template>
            </xsl:when>
            <xsl:otherwise>
              <xsl:for-each select="*">
                <xsl:call-template name="down-value">
                  <xsl:with-param name="url" select="$row/@type = 'URL'"/>
                  <xsl:with-param name="generic" select="$row/@type = 'GenericName'"/>
                </xsl:call-template>
              </xsl:for-each>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:element>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The table of the option of choice $choice that the 19115-3 class
       element $x is ('' for none); an identifier with a code space or a
       version is ISO 19139's RS_Identifier. -->
  <xsl:template name="down-option">
    <xsl:param name="choice"/>
    <xsl:param name="x"/>
    <xsl:variable name="q"><xsl:call-template name="qname3"><xsl:with-param name="n" select="$x"/></xsl:call-template></xsl:variable>
    <xsl:variable name="found">
      <xsl:for-each select="$choices3[@name = $choice]/map:c">
        <xsl:variable name="table" select="(@table | @iso)[last()]"/>
        <xsl:variable name="ct" select="$tables3[@name = $table]"/>
        <xsl:variable name="c3">
          <xsl:choose>
            <xsl:when test="@table"><xsl:value-of select="concat($ct/@ns3, ':', (@iso3 | @iso)[last()])"/></xsl:when>
            <xsl:otherwise><xsl:call-template name="class3"><xsl:with-param name="t" select="$ct"/></xsl:call-template></xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:if test="($q = $c3 or $q = concat('tw3:', substring-after($c3, ':')))
                      and not(@iso = 'RS_Identifier' and not($x/*[local-name() = 'codeSpace' or local-name() = 'version']))">
          <xsl:value-of select="concat($table, ' ')"/>
        </xsl:if>
      </xsl:for-each>
    </xsl:variable>
    <xsl:value-of select="substring-before($found, ' ')"/>
  </xsl:template>

  <!-- "ok" when the property (context node) holds exactly the elements
       $steps ("a/b") one inside the other, and nothing else. -->
  <xsl:template name="unwrap">
    <xsl:param name="steps"/>
    <xsl:choose>
      <xsl:when test="not(string($steps))">ok</xsl:when>
      <xsl:otherwise>
        <xsl:variable name="step" select="substring-before(concat($steps, '/'), '/')"/>
        <xsl:variable name="q"><xsl:call-template name="qname3"><xsl:with-param name="n" select="*[1]"/></xsl:call-template></xsl:variable>
        <xsl:if test="count(*) = 1 and $q = $step and not(*[1]/@*)">
          <xsl:for-each select="*[1]">
            <xsl:call-template name="unwrap"><xsl:with-param name="steps" select="substring-after($steps, '/')"/></xsl:call-template>
          </xsl:for-each>
        </xsl:if>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="down-unwrapped">
    <xsl:param name="row"/>
    <xsl:param name="steps"/>
    <xsl:choose>
      <xsl:when test="string($steps)">
        <xsl:for-each select="*[1]">
          <xsl:call-template name="down-unwrapped">
            <xsl:with-param name="row" select="$row"/>
            <xsl:with-param name="steps" select="substring-after($steps, '/')"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$row/@class">
        <xsl:call-template name="down-class">
          <xsl:with-param name="x" select="*[1]"/>
          <xsl:with-param name="table" select="$row/@class"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:for-each select="*">
          <xsl:call-template name="down-value"><xsl:with-param name="generic" select="$row/@type = 'GenericName'"/></xsl:call-template>
        </xsl:for-each>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A 19115-3 value element (the context node) as ISO 19139's. -->
  <xsl:template name="down-value">
    <xsl:param name="url" select="false()"/>
    <xsl:param name="generic" select="false()"/>
    <xsl:variable name="package"><xsl:call-template name="package"/></xsl:variable>
    <xsl:choose>
      <xsl:when test="self::gco3:CharacterString and $url"><gmd:URL><xsl:value-of select="."/></gmd:URL></xsl:when>
      <xsl:when test="self::gco3:TM_PeriodDuration">
        <gts:TM_PeriodDuration><xsl:copy-of select="@*"/><xsl:value-of select="."/></gts:TM_PeriodDuration>
      </xsl:when>
      <xsl:when test="self::gco3:ScopedName and $generic">
        <gco:LocalName><xsl:copy-of select="@*"/><xsl:value-of select="."/></gco:LocalName>
      </xsl:when>
      <xsl:when test="self::gco3:*">
        <xsl:element name="gco:{local-name()}">
          <xsl:copy-of select="@*"/>
          <xsl:for-each select="node()">
            <xsl:choose>
              <xsl:when test="self::*"><xsl:call-template name="down-value"/></xsl:when>
              <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
            </xsl:choose>
          </xsl:for-each>
        </xsl:element>
      </xsl:when>
      <xsl:when test="$package = 'gcx'">
        <xsl:element name="gmx:{local-name()}"><xsl:copy-of select="@*"/><xsl:value-of select="."/></xsl:element>
      </xsl:when>
      <xsl:when test="$package = 'lan' and local-name() = 'PT_FreeText'">
        <gmd:PT_FreeText>
          <xsl:copy-of select="@id | @uuid"/>
          <xsl:for-each select="*[local-name() = 'textGroup']">
            <gmd:textGroup>
              <xsl:for-each select="*[local-name() = 'LocalisedCharacterString']">
                <gmd:LocalisedCharacterString><xsl:copy-of select="@*"/><xsl:value-of select="."/></gmd:LocalisedCharacterString>
              </xsl:for-each>
            </gmd:textGroup>
          </xsl:for-each>
        </gmd:PT_FreeText>
      </xsl:when>
      <xsl:when test="$package = 'lan' and local-name() = 'LanguageCode'">
        <xsl:choose>
          <xsl:when test="starts-with(@codeList, $tw3-ns) or starts-with(@codeList, $tw19139-ns)">
            <gco:CharacterString><xsl:value-of select="."/></gco:CharacterString>
          </xsl:when>
          <xsl:otherwise><gmd:LanguageCode><xsl:copy-of select="@*"/><xsl:value-of select="."/></gmd:LanguageCode></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$package = 'lan' and local-name() = 'CountryCode'">
        <gmd:Country><xsl:copy-of select="@*"/><xsl:value-of select="."/></gmd:Country>
      </xsl:when>
      <xsl:when test="string($package) and (@codeListValue or $codes3[@list = local-name(current())])">
        <xsl:variable name="ns" select="concat(substring('srv', 1, 3 * (local-name() = 'SV_CouplingType' or local-name() = 'DCPList')),
                                               substring('gmd', 1, 3 * not(local-name() = 'SV_CouplingType' or local-name() = 'DCPList')))"/>
        <xsl:variable name="spelt" select="$codes3[@list = local-name(current())]/map:v[@iso3 = normalize-space(current())]/@iso"/>
        <xsl:element name="{$ns}:{local-name()}" namespace="{$ns19139[@prefix = $ns]/@uri}">
          <xsl:copy-of select="@*"/>
          <xsl:if test="$spelt and @codeListValue"><xsl:attribute name="codeListValue"><xsl:value-of select="$spelt"/></xsl:attribute></xsl:if>
          <xsl:value-of select="concat($spelt, substring(., 1, string-length(.) * not($spelt)))"/>
        </xsl:element>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ===================================================================
       Moves, import side
       =================================================================== -->

  <!-- The elements of a 19115-3 element $n named by local name. -->
  <xsl:template name="down-move">
    <xsl:param name="move"/>
    <xsl:param name="x"/>
    <xsl:param name="t"/>
    <xsl:param name="row"/>
    <xsl:param name="scopes"/>
    <xsl:variable name="p" select="."/>
    <xsl:variable name="same" select="preceding-sibling::*[local-name() = local-name($p)][namespace-uri() = namespace-uri($p)]"/>
    <xsl:variable name="c" select="*[1]"/>
    <xsl:variable name="plain" select="count(*) = 1 and not(@*) and not($c/@*)"/>
    <xsl:choose>
      <!-- The metadata identifier's code is the file identifier. -->
      <xsl:when test="$move = 'identifier'">
        <xsl:variable name="code" select="$c[local-name() = 'MD_Identifier']/*[local-name() = 'code']"/>
        <xsl:choose>
          <xsl:when test="$same or not($code) or count(*) != 1"><xsl:call-template name="leftover"/></xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$code">
              <xsl:call-template name="down-property"><xsl:with-param name="row" select="$row"/></xsl:call-template>
            </xsl:for-each>
            <xsl:if test="not($plain) or $c/*[local-name() != 'code']">
              <xsl:call-template name="leftover"><xsl:with-param name="shadow" select="'gmd:fileIdentifier'"/></xsl:call-template>
            </xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- A locale: its language and character set. -->
      <xsl:when test="$move = 'locale'">
        <xsl:variable name="language" select="$c[local-name() = 'PT_Locale']/*[local-name() = 'language']"/>
        <xsl:variable name="encoding" select="$c/*[local-name() = 'characterEncoding']"/>
        <xsl:variable name="default" select="local-name() = 'defaultLocale'"/>
        <xsl:variable name="feature" select="local-name() = 'locale'"/>
        <xsl:variable name="extra" select="not($plain) or $c/*[local-name() != 'language' and local-name() != 'characterEncoding']"/>
        <xsl:choose>
          <xsl:when test="not($language) or count(*) != 1 or ($extra and not($default))
                          or ($feature and $encoding[* or @*[. != 'missing']])">
            <xsl:call-template name="leftover"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$language[* or @*[. != 'missing']]">
              <gmd:language>
                <xsl:call-template name="down-attributes"/>
                <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
              </gmd:language>
            </xsl:for-each>
            <xsl:if test="not($feature)">
              <xsl:for-each select="$encoding[* or @*[. != 'missing']]">
                <gmd:characterSet>
                  <xsl:call-template name="down-attributes"/>
                  <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
                </gmd:characterSet>
              </xsl:for-each>
            </xsl:if>
            <xsl:if test="$extra">
              <xsl:call-template name="leftover"><xsl:with-param name="shadow" select="'gmd:language'"/></xsl:call-template>
            </xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The parent metadata by reference is the parent identifier. -->
      <xsl:when test="$move = 'uuidref'">
        <xsl:choose>
          <xsl:when test="* or $same or @*[not(local-name() = 'uuidref' or local-name() = 'nilReason' or self::xlink:href or self::xlink:title)]">
            <xsl:call-template name="leftover"/>
          </xsl:when>
          <xsl:otherwise>
            <gmd:parentIdentifier>
              <xsl:if test="not(@uuidref)"><xsl:call-template name="down-attributes"/></xsl:if>
              <xsl:choose>
                <xsl:when test="@xlink:href">
                  <gmx:Anchor><xsl:copy-of select="@xlink:href | @xlink:title"/><xsl:value-of select="@uuidref"/></gmx:Anchor>
                </xsl:when>
                <xsl:when test="@uuidref"><gco:CharacterString><xsl:value-of select="@uuidref"/></gco:CharacterString></xsl:when>
              </xsl:choose>
            </gmd:parentIdentifier>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- A metadata scope: a hierarchy level and its name. -->
      <xsl:when test="$move = 'scope'">
        <xsl:choose>
          <xsl:when test="not($plain and $c[local-name() = 'MD_MetadataScope']) or $c/*[local-name() != 'resourceScope' and local-name() != 'name']">
            <xsl:call-template name="leftover"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$c/*[local-name() = 'resourceScope'][* or @*[. != 'missing']]">
              <gmd:hierarchyLevel>
                <xsl:call-template name="down-attributes"/>
                <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
              </gmd:hierarchyLevel>
            </xsl:for-each>
            <xsl:for-each select="$c/*[local-name() = 'name']">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_Metadata']/map:p[@iso = 'hierarchyLevelName']"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The date stamp: the creation date, else the first date. -->
      <xsl:when test="$move = 'date-stamp'">
        <xsl:variable name="all" select="../*[local-name() = local-name($p)][namespace-uri() = namespace-uri($p)]"/>
        <xsl:variable name="creation"
            select="$all[*/*[local-name() = 'dateType']/*[translate(concat(@codeListValue, substring(., 1, string-length(.) * not(string(@codeListValue)))),
                                                               'CREATION', 'creation') = 'creation']]"/>
        <xsl:variable name="stamp" select="($creation | $all[not($creation)])[1]"/>
        <xsl:variable name="date" select="$c[local-name() = 'CI_Date']/*[local-name() = 'date']"/>
        <xsl:choose>
          <xsl:when test="generate-id($stamp) != generate-id() or not($date) or count(*) != 1"><xsl:call-template name="leftover"/></xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$date">
              <xsl:call-template name="down-property"><xsl:with-param name="row" select="$row"/></xsl:call-template>
            </xsl:for-each>
            <xsl:if test="not($creation) or not($plain) or $c/*[local-name() != 'date' and local-name() != 'dateType']">
              <xsl:call-template name="leftover"><xsl:with-param name="shadow" select="'gmd:dateStamp'"/></xsl:call-template>
            </xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The first metadata standard: its name and version. -->
      <xsl:when test="$move = 'standard'">
        <xsl:variable name="title" select="$c[local-name() = 'CI_Citation']/*[local-name() = 'title']"/>
        <xsl:choose>
          <xsl:when test="$same or not($title) or count(*) != 1"><xsl:call-template name="leftover"/></xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$title">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_Metadata']/map:p[@iso = 'metadataStandardName']"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$c/*[local-name() = 'edition']">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_Metadata']/map:p[@iso = 'metadataStandardVersion']"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:if test="not($plain) or $c/*[local-name() != 'title' and local-name() != 'edition']">
              <xsl:call-template name="leftover"><xsl:with-param name="shadow" select="'gmd:metadataStandardName'"/></xsl:call-template>
            </xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- Data quality, with the lineage of the same scope. -->
      <xsl:when test="$move = 'quality'">
        <xsl:variable name="me" select="$scopes[@id = generate-id($p)]"/>
        <xsl:variable name="k" select="count($me/preceding-sibling::s[@kind = 'dataQualityInfo'][@sig = $me/@sig]) + 1"/>
        <xsl:variable name="partner" select="$scopes[@kind = 'resourceLineage'][@sig = $me/@sig][$k]"/>
        <xsl:variable name="lineage" select="../*[generate-id() = $partner/@id]"/>
        <xsl:choose>
          <xsl:when test="$c and not($c[local-name() = 'DQ_DataQuality']) or *[2]"><xsl:call-template name="leftover"/></xsl:when>
          <xsl:otherwise>
            <gmd:dataQualityInfo>
              <xsl:call-template name="down-attributes"/>
              <xsl:for-each select="$c">
                <xsl:call-template name="down-class">
                  <xsl:with-param name="x" select="."/>
                  <xsl:with-param name="table" select="'DQ_DataQuality'"/>
                  <xsl:with-param name="lineage" select="$lineage"/>
                </xsl:call-template>
              </xsl:for-each>
            </gmd:dataQualityInfo>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- Telephones: the voice and facsimile numbers, all in the first. -->
      <xsl:when test="$move = 'phones'">
        <xsl:variable name="phones" select="../*[local-name() = 'phone'][namespace-uri() = namespace-uri($p)]"/>
        <xsl:variable name="numbers"
            select="$phones[count(*) = 1 and not(@*)]/*[local-name() = 'CI_Telephone'][not(@*)]
                    [count(*[local-name() = 'number']) = 1 and not(*[local-name() != 'number' and local-name() != 'numberType'])]
                    [not(*[local-name() = 'numberType']) or *[local-name() = 'numberType'][count(*) = 1 and not(@*)]
                       /*[@codeListValue = 'voice' or @codeListValue = 'facsimile']]"/>
        <xsl:choose>
          <xsl:when test="not($numbers/parent::*[generate-id() = generate-id($p)])"><xsl:call-template name="leftover"/></xsl:when>
          <xsl:when test="generate-id($numbers[1]/..) = generate-id($p)">
            <gmd:phone>
              <gmd:CI_Telephone>
                <xsl:for-each select="$numbers[not(*[local-name() = 'numberType']/*[@codeListValue = 'facsimile'])]">
                  <xsl:for-each select="*[local-name() = 'number']">
                    <gmd:voice>
                      <xsl:call-template name="down-attributes"/>
                      <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
                    </gmd:voice>
                  </xsl:for-each>
                </xsl:for-each>
                <xsl:for-each select="$numbers[*[local-name() = 'numberType']/*[@codeListValue = 'facsimile']]">
                  <xsl:for-each select="*[local-name() = 'number']">
                    <gmd:facsimile>
                      <xsl:call-template name="down-attributes"/>
                      <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
                    </gmd:facsimile>
                  </xsl:for-each>
                </xsl:for-each>
              </gmd:CI_Telephone>
            </gmd:phone>
          </xsl:when>
        </xsl:choose>
      </xsl:when>
      <!-- A format's citation: its name, version and specification. -->
      <xsl:when test="$move = 'format-citation'">
        <xsl:variable name="alternates" select="$c/*[local-name() = 'alternateTitle']"/>
        <xsl:choose>
          <xsl:when test="$same or not($c[local-name() = 'CI_Citation']) or count(*) != 1"><xsl:call-template name="leftover"/></xsl:when>
          <xsl:otherwise>
            <xsl:for-each select="$c/*[local-name() = 'title']">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_Format']/map:p[@iso = 'name']"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$c/*[local-name() = 'edition']">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_Format']/map:p[@iso = 'version']"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$alternates[count($alternates) = 1]">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_Format']/map:p[@iso = 'specification']"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:if test="not($plain) or count($alternates) &gt; 1
                          or $c/*[local-name() != 'title' and local-name() != 'edition' and local-name() != 'alternateTitle']">
              <xsl:call-template name="leftover"><xsl:with-param name="shadow" select="'gmd:name'"/></xsl:call-template>
            </xsl:if>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The citation of an associated resource's metadata, holding its
           identifier alone: the aggregate's identifier. -->
      <xsl:when test="$move = 'aggregate-identifier'">
        <xsl:variable name="identifier" select="$c[local-name() = 'CI_Citation']/*[local-name() = 'identifier']"/>
        <xsl:choose>
          <xsl:when test="$plain and count($c/*) = 2 and $c/*[local-name() = 'title'][not(*) and @gco3:nilReason = 'missing']
                          and count($identifier) = 1">
            <xsl:for-each select="$identifier">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$row"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- A coupled resource's operation named and nothing more: its name. -->
      <xsl:when test="$move = 'coupled-operation'">
        <xsl:variable name="name" select="$c[local-name() = 'SV_OperationMetadata']/*[local-name() = 'operationName']"/>
        <xsl:choose>
          <xsl:when test="$plain and $name and not($c/*[not(local-name() = 'operationName') and (* or not(@gco3:nilReason = 'missing'))])">
            <xsl:for-each select="$name">
              <xsl:call-template name="down-property"><xsl:with-param name="row" select="$row"/></xsl:call-template>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$move = 'coupled-resource'">
        <xsl:choose>
          <xsl:when test="not(*) and not(@*[local-name() != 'uuidref' and local-name() != 'nilReason']) and not($same)">
            <srv:identifier>
              <xsl:choose>
                <xsl:when test="@uuidref"><gco:CharacterString><xsl:value-of select="@uuidref"/></gco:CharacterString></xsl:when>
                <xsl:otherwise><xsl:call-template name="down-attributes"/></xsl:otherwise>
              </xsl:choose>
            </srv:identifier>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- A quality element's measure: its parts. -->
      <xsl:when test="$move = 'measure'">
        <xsl:choose>
          <xsl:when test="$plain and $c[local-name() = 'DQ_MeasureReference'] and not($same)">
            <xsl:for-each select="$c/*">
              <xsl:variable name="r" select="$tables3[@name = 'DQ_Element']/map:p[@iso = local-name(current())]"/>
              <xsl:choose>
                <xsl:when test="$r"><xsl:call-template name="down-property"><xsl:with-param name="row" select="$r"/></xsl:call-template></xsl:when>
                <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
              </xsl:choose>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- Its evaluation: the parts ISO 19139 has; a reference document
           stays (the export puts it back in the evaluation). -->
      <xsl:when test="$move = 'evaluation'">
        <xsl:choose>
          <xsl:when test="$plain and $c[local-name() = 'DQ_EvaluationMethod'] and not($same)">
            <xsl:for-each select="$c/*">
              <xsl:variable name="r" select="$tables3[@name = 'DQ_Element']/map:p[@iso = local-name(current())]"/>
              <xsl:choose>
                <xsl:when test="$r"><xsl:call-template name="down-property"><xsl:with-param name="row" select="$r"/></xsl:call-template></xsl:when>
                <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
              </xsl:choose>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The first date of next update. -->
      <xsl:when test="$move = 'next-update'">
        <xsl:variable name="all" select="../*[local-name() = local-name($p)][namespace-uri() = namespace-uri($p)]"/>
        <xsl:variable name="next" select="$all[count(*) = 1 and not(@*)][*[local-name() = 'CI_Date'][not(@*)][count(*) = 2]
                                              /*[local-name() = 'dateType']/*[@codeListValue = 'nextUpdate']][1]"/>
        <xsl:choose>
          <xsl:when test="generate-id($next) = generate-id()">
            <xsl:for-each select="$c/*[local-name() = 'date']">
              <xsl:call-template name="down-property"><xsl:with-param name="row" select="$row"/></xsl:call-template>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- A scope of the maintenance: its level and descriptions. -->
      <xsl:when test="$move = 'update-scope'">
        <xsl:choose>
          <xsl:when test="$plain and $c[local-name() = 'MD_Scope'] and not($c/*[local-name() = 'extent'])">
            <xsl:for-each select="$c/*[local-name() = 'level'][* or @*[. != 'missing']]">
              <gmd:updateScope>
                <xsl:call-template name="down-attributes"/>
                <xsl:for-each select="*"><xsl:call-template name="down-value"/></xsl:for-each>
              </gmd:updateScope>
            </xsl:for-each>
            <xsl:for-each select="$c/*[local-name() = 'levelDescription']">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_MaintenanceInformation']/map:p[@iso = 'updateScopeDescription']"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- The first attribute group of a coverage: its content type and dimensions. -->
      <xsl:when test="$move = 'attribute-group'">
        <xsl:variable name="attributes" select="$c/*[local-name() = 'attribute']"/>
        <xsl:choose>
          <xsl:when test="$plain and $c[local-name() = 'MD_AttributeGroup'] and not($same)
                          and count($c/*[local-name() = 'contentType']) = 1
                          and count($attributes[count(*) = 1]/*[local-name() = 'MD_RangeDimension' or local-name() = 'MD_Band']) = count($attributes)">
            <xsl:for-each select="$c/*[local-name() = 'contentType'][* or @*[. != 'missing']]">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_CoverageDescription']/map:p[@iso = 'contentType']"/>
              </xsl:call-template>
            </xsl:for-each>
            <xsl:for-each select="$attributes">
              <xsl:call-template name="down-property">
                <xsl:with-param name="row" select="$tables3[@name = 'MD_CoverageDescription']/map:p[@iso = 'dimension']"/>
              </xsl:call-template>
            </xsl:for-each>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <!-- A medium named by a citation holding a title alone: the medium's code. -->
      <xsl:when test="$move = 'medium-name'">
        <xsl:variable name="title" select="$c[local-name() = 'CI_Citation'][count(*) = 1]/*[local-name() = 'title'][not(@*)]/gco3:CharacterString"/>
        <xsl:choose>
          <xsl:when test="$plain and $title and not($same)">
            <gmd:name>
              <gmd:MD_MediumNameCode codeList="{$iso19139-codelists}#MD_MediumNameCode" codeListValue="{$title}"><xsl:value-of select="$title"/></gmd:MD_MediumNameCode>
            </gmd:name>
          </xsl:when>
          <xsl:when test="not(*) and not($same)">
            <gmd:name><xsl:call-template name="down-attributes"/></gmd:name>
          </xsl:when>
          <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:otherwise><xsl:call-template name="leftover"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A responsibility as a responsible party: its role, and of its first
       party the names, position and first contact; what ISO 19139 has no
       place for stays, for the export to put back. -->
  <xsl:template name="down-responsibility">
    <xsl:param name="x"/>
    <xsl:param name="t"/>
    <xsl:variable name="party" select="$x/*[local-name() = 'party'][1]"/>
    <xsl:variable name="who" select="$party[count(*) = 1 and not(@*)]/*[local-name() = 'CI_Organisation' or local-name() = 'CI_Individual'][not(@*)]"/>
    <xsl:variable name="org" select="$who[local-name() = 'CI_Organisation']"/>
    <xsl:variable name="first" select="$org/*[local-name() = 'individual'][1][count(*) = 1 and not(@*)]
                                       /*[local-name() = 'CI_Individual'][not(@*)][not(*[local-name() != 'name' and local-name() != 'positionName'])]"/>
    <xsl:variable name="person" select="$who[local-name() = 'CI_Individual'] | $first"/>
    <xsl:variable name="rows" select="$t/map:p"/>
    <gmd:CI_ResponsibleParty>
      <xsl:copy-of select="$x/@id | $x/@uuid"/>
      <xsl:for-each select="$person/*[local-name() = 'name']">
        <xsl:call-template name="down-property"><xsl:with-param name="row" select="$rows[@iso = 'individualName']"/></xsl:call-template>
      </xsl:for-each>
      <xsl:for-each select="$org/*[local-name() = 'name']">
        <xsl:call-template name="down-property"><xsl:with-param name="row" select="$rows[@iso = 'organisationName']"/></xsl:call-template>
      </xsl:for-each>
      <xsl:for-each select="$person/*[local-name() = 'positionName']">
        <xsl:call-template name="down-property"><xsl:with-param name="row" select="$rows[@iso = 'positionName']"/></xsl:call-template>
      </xsl:for-each>
      <xsl:for-each select="$who/*[local-name() = 'contactInfo'][1]">
        <xsl:call-template name="down-property"><xsl:with-param name="row" select="$rows[@iso = 'contactInfo']"/></xsl:call-template>
      </xsl:for-each>
      <xsl:for-each select="$x/*[local-name() = 'role']">
        <xsl:call-template name="down-property"><xsl:with-param name="row" select="$rows[@iso = 'role']"/></xsl:call-template>
      </xsl:for-each>
      <!-- The rest, by name: the export knows where each goes. -->
      <xsl:for-each select="$x/*[local-name() = 'extent'] | $x/*[local-name() = 'party'][not($who) or position() &gt; 1]
                            | $who/*[local-name() = 'contactInfo'][position() &gt; 1] | $who/*[local-name() = 'partyIdentifier']
                            | $who/*[local-name() = 'logo'] | $org/*[local-name() = 'individual'][not($first) or position() &gt; 1]">
        <xsl:call-template name="leftover"/>
      </xsl:for-each>
      <xsl:for-each select="$x/*[not(local-name() = 'role' or local-name() = 'extent' or local-name() = 'party')]">
        <xsl:call-template name="leftover"/>
      </xsl:for-each>
    </gmd:CI_ResponsibleParty>
  </xsl:template>
</xsl:stylesheet>

<?xml version="1.0" encoding="UTF-8"?>
<!-- Test stylesheet: a record in the project's model (a small part of
     ISO 19139) to the host's metadata model. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:gmd="http://www.isotc211.org/2005/gmd" xmlns:gco="http://www.isotc211.org/2005/gco"
    exclude-result-prefixes="gmd gco">
  <xsl:output method="xml" encoding="UTF-8" indent="no"/>

  <xsl:template match="/gmd:MD_Metadata">
    <metadata>
      <mdFileID><xsl:value-of select="gmd:fileIdentifier/gco:CharacterString"/></mdFileID>
      <mdDateSt><xsl:value-of select="gmd:dateStamp/gco:Date"/></mdDateSt>
      <xsl:for-each select="gmd:identificationInfo/gmd:MD_DataIdentification">
        <dataIdInfo>
          <idCitation>
            <resTitle><xsl:value-of select="gmd:citation/gmd:CI_Citation/gmd:title/gco:CharacterString"/></resTitle>
          </idCitation>
          <idAbs><xsl:value-of select="gmd:abstract/gco:CharacterString"/></idAbs>
          <idPurp><xsl:value-of select="gmd:purpose/gco:CharacterString"/></idPurp>
          <searchKeys>
            <xsl:for-each select="gmd:descriptiveKeywords/gmd:MD_Keywords/gmd:keyword">
              <keyword><xsl:value-of select="gco:CharacterString"/></keyword>
            </xsl:for-each>
          </searchKeys>
        </dataIdInfo>
      </xsl:for-each>
    </metadata>
  </xsl:template>

  <xsl:template match="/*" priority="-1">
    <xsl:message terminate="yes">not a record of the project's model: <xsl:value-of select="name()"/></xsl:message>
  </xsl:template>
</xsl:stylesheet>

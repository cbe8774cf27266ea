<?xml version="1.0" encoding="UTF-8"?>
<!-- Test stylesheet: the host's metadata model to a record in the project's
     model (a small part of ISO 19139). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:gmd="http://www.isotc211.org/2005/gmd" xmlns:gco="http://www.isotc211.org/2005/gco">
  <xsl:output method="xml" encoding="UTF-8" indent="yes"/>

  <xsl:template match="/metadata">
    <gmd:MD_Metadata>
      <gmd:fileIdentifier><gco:CharacterString><xsl:value-of select="mdFileID"/></gco:CharacterString></gmd:fileIdentifier>
      <gmd:dateStamp><gco:Date><xsl:value-of select="mdDateSt"/></gco:Date></gmd:dateStamp>
      <xsl:for-each select="dataIdInfo">
        <gmd:identificationInfo>
          <gmd:MD_DataIdentification>
            <gmd:citation>
              <gmd:CI_Citation>
                <gmd:title><gco:CharacterString><xsl:value-of select="idCitation/resTitle"/></gco:CharacterString></gmd:title>
              </gmd:CI_Citation>
            </gmd:citation>
            <gmd:abstract><gco:CharacterString><xsl:value-of select="idAbs"/></gco:CharacterString></gmd:abstract>
            <xsl:if test="idPurp">
              <gmd:purpose><gco:CharacterString><xsl:value-of select="idPurp"/></gco:CharacterString></gmd:purpose>
            </xsl:if>
            <xsl:if test="searchKeys/keyword">
              <gmd:descriptiveKeywords>
                <gmd:MD_Keywords>
                  <xsl:for-each select="searchKeys/keyword">
                    <gmd:keyword><gco:CharacterString><xsl:value-of select="."/></gco:CharacterString></gmd:keyword>
                  </xsl:for-each>
                </gmd:MD_Keywords>
              </gmd:descriptiveKeywords>
            </xsl:if>
          </gmd:MD_DataIdentification>
        </gmd:identificationInfo>
      </xsl:for-each>
    </gmd:MD_Metadata>
  </xsl:template>
</xsl:stylesheet>

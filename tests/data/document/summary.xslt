<?xml version="1.0" encoding="UTF-8"?>
<!-- A small export: the title, purpose and keywords of the item. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8" indent="no"/>
  <xsl:strip-space elements="*"/>
  <xsl:variable name="codes" select="document('role-codes.xml')/codes"/>
  <xsl:template match="/metadata">
    <summary>
      <title><xsl:value-of select="dataIdInfo/idCitation/resTitle"/></title>
      <purpose><xsl:value-of select="dataIdInfo/idPurp"/></purpose>
      <xsl:for-each select="dataIdInfo/searchKeys/keyword">
        <keyword><xsl:value-of select="."/></keyword>
      </xsl:for-each>
      <xsl:for-each select="dataIdInfo/idPoC">
        <contact role="{$codes/code[@value = current()/role/RoleCd/@value]}">
          <xsl:value-of select="rpIndName"/>
        </contact>
      </xsl:for-each>
    </summary>
  </xsl:template>
</xsl:stylesheet>

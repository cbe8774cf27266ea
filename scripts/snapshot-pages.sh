#!/usr/bin/env bash
# Writes tests/data/pages/CLASS.json: `tidewise show --json` of every page
# class on an empty item (and tests/data/hostpages/layouts/CLASS.json of the
# host's own pages), the reviewed record of each page's controls (names,
# kinds, captions, list items, positions, sizes, tab order). Run it only when a
# page's layout changes on purpose, and check each changed file by eye before
# committing it: the layout test compares the pages with these files.
#   scripts/snapshot-pages.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export TIDEWISE_HOME="$home"
# CLASS:UNIQUE_NAME; the quality result pages stand under one element.
pages=(Metadata:Metadata Purpose:Purpose Status:Status Contact:Contact Constraint:Constraint
       SpatialRep:SpatialRep Extent:Extent Format:Format Lineage:QualityLineage
       VectorRepresentation:VectorRepresentation QualityReport:QualityReport
       QualityScope:QualityScope QualityExtent:QualityExtent QualityElement:DQTopConsisEle
       QualityConformance:DQTopConsisConf QualityQuantitative:DQTopConsisQuan
       ReferenceSys:ReferenceSys GeoDesc:GeoDesc ProjectionDesc:ProjectionDesc
       EllipsoidDesc:EllipsoidDesc DatumDesc:DatumDesc GridRepresentation:GridRepresentation
       SchemaInfo:SchemaInfo TidewiseExt:TidewiseExt)
for entry in "${pages[@]}"; do
  class=${entry%%:*}
  unique=${entry#*:}
  "$build/bin/tidewise" show "$home/empty.xml" "$unique" --class "$class" --json \
    > "tests/data/pages/$class.json"
done
echo "wrote ${#pages[@]} files to tests/data/pages/"
# The host's own pages stand in the default tree under their class names.
host_pages=(Citation Description Keywords TopicCategories PointsOfContact CitedParties MetadataInfo
            MetadataContacts Maintenance GraphicOverviews ResourceConstraints AssociatedResources
            ServiceIdentification Resolution DataLanguages FeatureCatalogues Coverages Acquisition
            DataQuality LineageSources BoundingBoxes BoundingPolygons TemporalExtents
            VerticalExtents ReferenceSystems Formats Distributors DistributorOffers OnlineResources)
mkdir -p tests/data/hostpages/layouts
for page in "${host_pages[@]}"; do
  "$build/bin/tidewise" show "$home/empty.xml" "$page" --json \
    > "tests/data/hostpages/layouts/$page.json"
done
echo "wrote ${#host_pages[@]} files to tests/data/hostpages/layouts/"

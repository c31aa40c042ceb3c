"""Checks the policy templates in the folder given: both parse, every policy of the ADMX writes
one of the program's values under its key, every text and presentation it names exists."""
import re, sys, xml.etree.ElementTree as ET

NS = '{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}'
folder = sys.argv[1]
admx_text = open(f'{folder}/Veltarion.admx', encoding='utf-8').read()
admx = ET.fromstring(admx_text)
adml = ET.parse(f'{folder}/en-US/Veltarion.adml').getroot()
named = {(kind, e.get('id')) for kind, tag in (('string', 'string'), ('presentation', 'presentation'))
         for e in adml.iter(NS + tag)}
missing = set(re.findall(r'\$\((string|presentation)\.(\w+)\)', admx_text)) - named
values = {}
for policy in admx.iter(NS + 'policy'):
    names = [policy.get('valueName')] + [e.get('valueName') for e in policy.iter(NS + 'decimal')]
    values[policy.get('name')] = (policy.get('key'), policy.get('class'), [n for n in names if n])
want = {n: ('Software\\Policies\\Veltarion', 'Machine', [n])
        for n in ('DeactivateOnLock', 'DeactivateOnSleep', 'DeactivateAfterIdle')}
if missing or values != want:
    sys.exit(f'texts missing: {sorted(missing)}\npolicies: {values}')

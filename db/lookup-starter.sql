-- Starter rows of the frequency lookup table: well-known public frequencies. Frequency in hertz; RxMode is the
-- receiver's mode digit (0 WFM, 1 NFM, 2 AM, 3 USB, 4 LSB, 5 CW, 6 SFM, 7 WAM, 8 NAM).

-- Air band. Source: ICAO Annex 10, Volume V (aeronautical emergency 121.5 MHz, air-to-air 123.45 MHz);
-- 243.0 MHz is the military counterpart of 121.5 MHz (ITU Radio Regulations, Appendix 15).
INSERT INTO FrequencyLookupTable_ VALUES (121500000, 2, 'Air Emergncy', 'Aeronautical emergency (guard) frequency');
INSERT INTO FrequencyLookupTable_ VALUES (123450000, 2, 'Air-to-air', 'Air-to-air communication between aircraft');
INSERT INTO FrequencyLookupTable_ VALUES (243000000, 2, 'Mil Emergncy', 'Military aeronautical emergency frequency');

-- Marine VHF. Source: ITU Radio Regulations, Appendix 18 (table of VHF maritime mobile channels).
INSERT INTO FrequencyLookupTable_ VALUES (156300000, 1, 'Marine Ch06', 'Marine channel 6: intership safety');
INSERT INTO FrequencyLookupTable_ VALUES (156525000, 1, 'Marine Ch70', 'Marine channel 70: digital selective calling');
INSERT INTO FrequencyLookupTable_ VALUES (156650000, 1, 'Marine Ch13', 'Marine channel 13: bridge-to-bridge navigation safety');
INSERT INTO FrequencyLookupTable_ VALUES (156800000, 1, 'Marine Ch16', 'Marine channel 16: distress, safety and calling');
INSERT INTO FrequencyLookupTable_ VALUES (161975000, 1, 'AIS 1', 'Automatic identification system, channel 87B');
INSERT INTO FrequencyLookupTable_ VALUES (162025000, 1, 'AIS 2', 'Automatic identification system, channel 88B');

-- PMR446 analogue channels 1-8. Source: ECC Decision (15)05 and ETSI EN 300 296 (12.5 kHz raster from
-- 446.00625 MHz).
INSERT INTO FrequencyLookupTable_ VALUES (446006250, 1, 'PMR446 Ch1', 'PMR446 licence-free radio, channel 1');
INSERT INTO FrequencyLookupTable_ VALUES (446018750, 1, 'PMR446 Ch2', 'PMR446 licence-free radio, channel 2');
INSERT INTO FrequencyLookupTable_ VALUES (446031250, 1, 'PMR446 Ch3', 'PMR446 licence-free radio, channel 3');
INSERT INTO FrequencyLookupTable_ VALUES (446043750, 1, 'PMR446 Ch4', 'PMR446 licence-free radio, channel 4');
INSERT INTO FrequencyLookupTable_ VALUES (446056250, 1, 'PMR446 Ch5', 'PMR446 licence-free radio, channel 5');
INSERT INTO FrequencyLookupTable_ VALUES (446068750, 1, 'PMR446 Ch6', 'PMR446 licence-free radio, channel 6');
INSERT INTO FrequencyLookupTable_ VALUES (446081250, 1, 'PMR446 Ch7', 'PMR446 licence-free radio, channel 7');
INSERT INTO FrequencyLookupTable_ VALUES (446093750, 1, 'PMR446 Ch8', 'PMR446 licence-free radio, channel 8');

-- Weather radio. Source: NOAA Weather Radio All Hazards, the seven VHF broadcast frequencies.
INSERT INTO FrequencyLookupTable_ VALUES (162400000, 1, 'NOAA WX1', 'NOAA weather radio 162.400 MHz');
INSERT INTO FrequencyLookupTable_ VALUES (162425000, 1, 'NOAA WX2', 'NOAA weather radio 162.425 MHz');
INSERT INTO FrequencyLookupTable_ VALUES (162450000, 1, 'NOAA WX3', 'NOAA weather radio 162.450 MHz');
INSERT INTO FrequencyLookupTable_ VALUES (162475000, 1, 'NOAA WX4', 'NOAA weather radio 162.475 MHz');
INSERT INTO FrequencyLookupTable_ VALUES (162500000, 1, 'NOAA WX5', 'NOAA weather radio 162.500 MHz');
INSERT INTO FrequencyLookupTable_ VALUES (162525000, 1, 'NOAA WX6', 'NOAA weather radio 162.525 MHz');
INSERT INTO FrequencyLookupTable_ VALUES (162550000, 1, 'NOAA WX7', 'NOAA weather radio 162.550 MHz');

-- Amateur calling frequencies. Source: IARU Region 1 VHF/UHF band plan (144.300 SSB, 145.500 FM, 433.500 FM)
-- and the ARRL band plans (146.520 and 446.000 MHz FM simplex calling).
INSERT INTO FrequencyLookupTable_ VALUES (144300000, 3, '2m SSB Call', 'Amateur 2 m SSB calling frequency (IARU Region 1)');
INSERT INTO FrequencyLookupTable_ VALUES (145500000, 1, '2m FM Call', 'Amateur 2 m FM calling frequency (IARU Region 1)');
INSERT INTO FrequencyLookupTable_ VALUES (146520000, 1, '2m US Call', 'Amateur 2 m FM simplex calling frequency (ARRL)');
INSERT INTO FrequencyLookupTable_ VALUES (433500000, 1, '70cm FM Call', 'Amateur 70 cm FM calling frequency (IARU Region 1)');
INSERT INTO FrequencyLookupTable_ VALUES (446000000, 1, '70cm US Call', 'Amateur 70 cm FM simplex calling frequency (ARRL)');
